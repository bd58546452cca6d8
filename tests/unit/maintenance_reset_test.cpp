// 重置MAX: exactly the chosen release's folder in the desktop user's profile, and a message that
// says whether it is gone.
#include "maintenance/reset_user_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using ::testing::ElementsAre;

constexpr char kReleases[] = R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax)";
constexpr char k2016[] = R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\2016 - 64bit)";

class ResetTest : public ::testing::Test {
 protected:
  ResetTest() {
    for (const char* year : {"2015", "2016", "2017"}) {
      const std::string folder = std::string(kReleases) + "\\" + year + " - 64bit";
      sim.files.AddFile(folder + R"(\ENU\3dsMax.ini)", "settings");
      sim.files.AddFile(folder + R"(\CHS\scripts\startup\plugin.ms)");
    }
    view.ChooseRadio(Control::单选框3);
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  sim::FakeToolboxView view;
};

TEST_F(ResetTest, RemovesOnlyTheChosenReleasesFolderAndSaysSoEveryTime) {
  ResetUserSettings(system, view, "user1");
  ResetUserSettings(system, view, "user1");  // nothing left to delete: still done

  EXPECT_FALSE(sim.files.Exists(k2016));
  EXPECT_TRUE(sim.files.Exists(std::string(kReleases) + R"(\2015 - 64bit\ENU\3dsMax.ini)"));
  EXPECT_TRUE(sim.files.Exists(std::string(kReleases) + R"(\2017 - 64bit\ENU\3dsMax.ini)"));
  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  for (const sim::ShownBox& box : sim.dialogs.boxes()) {
    EXPECT_EQ(box.text, "3DMAX重置完成！");
    EXPECT_EQ(box.title, "通知");
    EXPECT_EQ(box.style, kBoxOk | kBoxTaskModal);
  }
}

TEST_F(ResetTest, AFolderThatStaysIsAWarningNotDone) {
  struct Case {
    const char* name;
    void (*arrange)(sim::SimFiles&);
  };
  const Case cases[] = {
      {"file held open by 3ds Max",
       [](sim::SimFiles& files) { files.HoldOpen(std::string(k2016) + R"(\ENU\3dsMax.ini)"); }},
      {"read-only file",
       [](sim::SimFiles& files) {
         files.AddFile(std::string(k2016) + R"(\CHS\scripts\startup\vrdematcleanbeta.ms)", "",
                       kAttributeReadOnly);
       }},
  };
  for (const Case& c : cases) {
    sim::SimulatedSystem fresh;
    fresh.files.AddFile(std::string(k2016) + R"(\ENU\3dsMax.ini)");
    c.arrange(fresh.files);

    ResetUserSettings(fresh.system(), view, "user1");

    EXPECT_TRUE(fresh.files.Exists(k2016)) << c.name;
    ASSERT_EQ(fresh.dialogs.boxes().size(), 1u) << c.name;
    EXPECT_EQ(fresh.dialogs.boxes()[0].text,
              "部分文件正在使用或为只读，未能全部删除，请关闭MAX后重试。")
        << c.name;
    EXPECT_EQ(fresh.dialogs.boxes()[0].title, "警告") << c.name;
  }
}

TEST_F(ResetTest, AnUnknownDesktopUserDeletesNothingAndSaysWhy) {
  // Where a path with the user's name left out would lead.
  sim.files.AddFile(R"(C:\Users\AppData\Local\Autodesk\3dsMax\2016 - 64bit\keep.ini)");

  ResetUserSettings(system, view, "");

  EXPECT_TRUE(sim.files.calls().empty());
  EXPECT_THAT(sim.dialogs.texts(), ElementsAre("未能确定当前桌面用户，已跳过用户配置目录。"));
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "警告");
}

TEST_F(ResetTest, WithoutAChosenReleaseNothingHappens) {
  view.ClearRadios();
  ResetUserSettings(system, view, "user1");
  EXPECT_TRUE(sim.files.Exists(k2016));
  EXPECT_TRUE(sim.dialogs.boxes().empty());
}

}  // namespace
}  // namespace kelvo
