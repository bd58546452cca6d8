// 默认打开: the open command of the chosen release, and an honest answer when it cannot be written.
#include "maintenance/default_open.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

constexpr char kCommandKey[] = R"(3dsmax\Shell\Open\Command)";

class DefaultOpenTest : public ::testing::Test {
 protected:
  std::optional<std::string> Command() const {
    return sim.registry.Value(RegistryRoot::ClassesRoot, kCommandKey, "");
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  sim::FakeToolboxView view;
};

TEST_F(DefaultOpenTest, WritesTheChosenReleasesCommandAndOverwritesItOnTheNextClick) {
  sim.registry.SetValue(RegistryRoot::ClassesRoot, kCommandKey, "other", "kept");
  struct Click {
    Control radio;
    const char* command;
  };
  const Click clicks[] = {
      {Control::单选框7, R"("C:\Program Files\Autodesk\3ds Max 2020\\3dsmax.exe" "%1")"},
      {Control::单选框1, R"("C:\Program Files\Autodesk\3ds Max 2014\\3dsmax.exe" "%1")"},
  };
  for (const Click& click : clicks) {
    view.ChooseRadio(click.radio);
    SetDefaultOpen(system, view);
    EXPECT_EQ(Command(), click.command);
    EXPECT_EQ(Command()->size(), 57u);
  }
  EXPECT_EQ(sim.registry.Value(RegistryRoot::ClassesRoot, kCommandKey, "other"), "kept");
  EXPECT_EQ(sim.registry.calls().size(), 2u);
  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  for (const sim::ShownBox& box : sim.dialogs.boxes()) {
    EXPECT_EQ(box.text, "默认打开方式修改成功。");
    EXPECT_EQ(box.title, "通知");
    EXPECT_EQ(box.style, kBoxOk | kBoxTaskModal);
    EXPECT_EQ(box.owner, 0);
  }
}

TEST_F(DefaultOpenTest, WithoutAChosenReleaseNothingHappens) {
  view.ClearRadios();
  SetDefaultOpen(system, view);
  EXPECT_TRUE(sim.registry.calls().empty());
  EXPECT_TRUE(sim.dialogs.boxes().empty());
}

TEST_F(DefaultOpenTest, ARefusedWriteIsReportedAsAnError) {
  sim.registry.DenyChangesUnder(RegistryRoot::ClassesRoot, "3dsmax");
  view.ChooseRadio(Control::单选框3);

  SetDefaultOpen(system, view);

  EXPECT_EQ(Command(), std::nullopt);
  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.dialogs.boxes()[0].text, "默认打开方式修改失败，请以管理员身份运行本程序。");
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "错误");
}

}  // namespace
}  // namespace kelvo
