// 卸载清理: the question, the folders, the settings keys and the product registrations in their
// order with blocking pauses between them, the root guard, and an honest final message.
#include "maintenance/uninstall_cleanup.h"

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
using ::testing::IsEmpty;

constexpr char kInstall2016[] = R"(C:\Program Files\Autodesk\3ds Max 2016)";
constexpr char kUser2016[] = R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\2016 - 64bit)";
constexpr char kProducts[] = R"(SOFTWARE\Classes\Installer\Products\)";
constexpr char kFirst2016Code[] = "7CE73B25638D01404046C342CBDE0201";
constexpr char kShared2016And2017Code[] = "43AC761985E43E948829C33479932D3D";
constexpr char k2015Code[] = "7CE73B25638D01402046C342CBDE0201";

// Records when each key deletion reached the registry.
class TimedRegistry : public Registry {
 public:
  TimedRegistry(Registry& inner, sim::SimClock& clock) : inner_(inner), clock_(clock) {}

  bool KeyExists(RegistryRoot root, const std::string& key, RegistryView view) override {
    return inner_.KeyExists(root, key, view);
  }
  OsResult DeleteTree(RegistryRoot root, const std::string& key, RegistryView view) override {
    deleted_at.push_back(clock_.Elapsed());
    return inner_.DeleteTree(root, key, view);
  }
  OsResult SetDefaultValue(RegistryRoot root, const std::string& key,
                           const std::string& value) override {
    return inner_.SetDefaultValue(root, key, value);
  }
  std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                        const std::string& name, RegistryView view) override {
    return inner_.ReadString(root, key, name, view);
  }
  std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                         const std::string& name, RegistryView view) override {
    return inner_.ReadDword(root, key, name, view);
  }

  std::vector<std::int64_t> deleted_at;

 private:
  Registry& inner_;
  sim::SimClock& clock_;
};

class UninstallCleanupTest : public ::testing::Test {
 protected:
  UninstallCleanupTest() {
    for (const char* year : {"2015", "2016"}) {
      sim.files.AddFile(std::string(R"(C:\Program Files\Autodesk\3ds Max )") + year +
                        R"(\3dsmax.exe)");
      sim.files.AddFile(std::string(R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\)") + year +
                        R"( - 64bit\ENU\3dsMax.ini)");
    }
    sim.registry.SetValue(RegistryRoot::CurrentUser, R"(Software\Autodesk\3dsMax\18.0)", "", "");
    sim.registry.AddKey(RegistryRoot::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\18.0)");
    sim.registry.AddKey(RegistryRoot::LocalMachine, R"(SOFTWARE\WOW6432Node\Autodesk\3dsMax)");
    for (const char* code : {kFirst2016Code, kShared2016And2017Code, k2015Code}) {
      sim.registry.AddKey(RegistryRoot::LocalMachine, std::string(kProducts) + code);
    }
    view.ChooseRadio(Control::单选框3);
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  sim::FakeToolboxView view;
};

TEST_F(UninstallCleanupTest, NoChangesNothing) {
  sim.dialogs.QueueAnswer(kAnswerNo);

  UninstallCleanup(system, view, "user1");

  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  const sim::ShownBox& question = sim.dialogs.boxes()[0];
  EXPECT_EQ(question.text, "请确认当前已处于非正常卸载状态,将执行清理注册表及删除MAX残留操作。");
  EXPECT_EQ(question.title, "信息：");
  EXPECT_EQ(question.style, kBoxYesNo | kBoxTaskModal);
  EXPECT_THAT(sim.files.calls(), IsEmpty());
  EXPECT_THAT(sim.registry.calls(), IsEmpty());
}

TEST_F(UninstallCleanupTest, RemovesTheReleasesLeftoversAndKeepsTheOthers) {
  sim.dialogs.QueueAnswer(kAnswerYes);

  UninstallCleanup(system, view, "user1");

  EXPECT_FALSE(sim.files.Exists(kInstall2016));
  EXPECT_FALSE(sim.files.Exists(kUser2016));
  EXPECT_TRUE(sim.files.Exists(R"(C:\Program Files\Autodesk\3ds Max 2015\3dsmax.exe)"));
  EXPECT_TRUE(sim.files.Exists(R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\2015 - 64bit)"));
  EXPECT_FALSE(sim.registry.HasKey(RegistryRoot::CurrentUser, R"(Software\Autodesk\3dsMax)"));
  EXPECT_FALSE(sim.registry.HasKey(RegistryRoot::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax)"));
  // Only the 64-bit view: the 32-bit twin on 64-bit Windows stays.
  EXPECT_TRUE(
      sim.registry.HasKey(RegistryRoot::LocalMachine, R"(SOFTWARE\WOW6432Node\Autodesk\3dsMax)"));
  EXPECT_FALSE(
      sim.registry.HasKey(RegistryRoot::LocalMachine, std::string(kProducts) + kFirst2016Code));
  EXPECT_TRUE(sim.registry.HasKey(RegistryRoot::LocalMachine, std::string(kProducts) + k2015Code));
  EXPECT_THAT(sim.dialogs.texts(), ElementsAre(kCleanupQuestion, "MAX残留清理完毕！"));
  EXPECT_EQ(sim.dialogs.boxes()[1].title, "通知");
  EXPECT_EQ(sim.dialogs.boxes()[1].style, kBoxOk | kBoxTaskModal);
}

TEST_F(UninstallCleanupTest, KeysGoInCatalogueOrderWithBlockingPausesBetweenThem) {
  struct Case {
    Control radio;
    MaxVersion release;
    std::size_t codes;
    const char* last_code;
  };
  const Case cases[] = {
      {Control::单选框3, MaxVersion::R2016, 9, "0FAFF4C1BBD6A7F43A686447D7608062"},
      {Control::单选框4, MaxVersion::R2017, 7, kShared2016And2017Code}};
  for (const Case& c : cases) {
    sim::SimulatedSystem fresh;
    fresh.registry.AddKey(RegistryRoot::LocalMachine, std::string(kProducts) + c.last_code);
    const std::string user_dir = R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\)" +
                                 std::to_string(Year(c.release)) + " - 64bit";
    fresh.files.AddFile(user_dir + R"(\ENU\3dsMax.ini)");
    TimedRegistry timed(fresh.registry, fresh.clock);
    System system{fresh.files, timed,       fresh.processes,   fresh.windows, fresh.dialogs,
                  fresh.clock, fresh.shell, fresh.system_info, fresh.http,    fresh.accounts};
    view.ChooseRadio(c.radio);
    // A timer of the window and a posted message, both due during the cleanup: neither may run.
    int dispatched = 0;
    std::int64_t start = 0;
    bool user_dir_gone_in_first_pause = false;
    fresh.dialogs.QueueReply([&](const sim::ShownBox&) {
      start = fresh.clock.Elapsed();
      fresh.clock.AddTimer(10, [&] { ++dispatched; });
      fresh.clock.Post([&] { ++dispatched; });
      // The folders go before the first pause.
      fresh.clock.Schedule(1,
                           [&] { user_dir_gone_in_first_pause = !fresh.files.Exists(user_dir); });
      return kAnswerYes;
    });
    int dispatched_by_final_box = -1;
    fresh.dialogs.QueueReply([&](const sim::ShownBox&) {
      dispatched_by_final_box = dispatched;
      return kAnswerOk;
    });

    UninstallCleanup(system, view, "user1");

    std::vector<std::string> keys;
    for (const sim::RegistryCall& call : fresh.registry.calls()) {
      EXPECT_EQ(call.view, RegistryView::Bits64);
      keys.push_back(call.key);
    }
    ASSERT_EQ(keys.size(), 2 + c.codes);
    EXPECT_EQ(keys[0], R"(Software\Autodesk\3dsMax)");
    EXPECT_EQ(fresh.registry.calls()[0].root, RegistryRoot::CurrentUser);
    EXPECT_EQ(keys[1], R"(SOFTWARE\Autodesk\3dsMax)");
    EXPECT_EQ(fresh.registry.calls()[1].root, RegistryRoot::LocalMachine);
    const auto codes = ProductCodes(c.release);
    for (std::size_t i = 0; i < c.codes; ++i) {
      EXPECT_EQ(keys[2 + i], std::string(kProducts) + codes[i]);
    }
    EXPECT_EQ(keys.back(), std::string(kProducts) + c.last_code);
    EXPECT_FALSE(
        fresh.registry.HasKey(RegistryRoot::LocalMachine, std::string(kProducts) + c.last_code));
    // 50 ms after the user folder and after every key, the first key after the folders.
    for (std::size_t i = 0; i < timed.deleted_at.size(); ++i) {
      EXPECT_EQ(timed.deleted_at[i] - start, 50 * static_cast<std::int64_t>(i + 1)) << i;
    }
    ASSERT_EQ(fresh.dialogs.boxes().size(), 2u);
    EXPECT_EQ(fresh.dialogs.boxes()[1].shown_at - start,
              50 * static_cast<std::int64_t>(keys.size() + 1));
    EXPECT_EQ(dispatched_by_final_box, 0);
    EXPECT_TRUE(user_dir_gone_in_first_pause);
  }
}

TEST_F(UninstallCleanupTest, WithoutAChosenReleaseYesDeletesNothingAndIsDone) {
  view.ClearRadios();
  sim.dialogs.QueueAnswer(kAnswerYes);

  UninstallCleanup(system, view, "user1");

  EXPECT_THAT(sim.files.calls(), IsEmpty());
  EXPECT_THAT(sim.registry.calls(), IsEmpty());
  EXPECT_THAT(sim.dialogs.texts(), ElementsAre(kCleanupQuestion, "MAX残留清理完毕！"));
}

TEST_F(UninstallCleanupTest, WhatCouldNotBeRemovedIsListed) {
  sim.files.DenyChangesUnder(kInstall2016);
  sim.files.HoldOpen(std::string(kUser2016) + R"(\ENU\3dsMax.ini)");
  sim.registry.DenyChangesUnder(RegistryRoot::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\18.0)");
  sim.dialogs.QueueAnswer(kAnswerYes);

  UninstallCleanup(system, view, "user1");

  // Product codes that were never registered are not among them.
  EXPECT_THAT(sim.dialogs.texts(),
              ElementsAre(kCleanupQuestion,
                          "MAX残留清理未完成，以下项目未能删除（需要管理员权限或正被占用）："
                          "\r\nC:\\Program Files\\Autodesk\\3ds Max 2016\\"
                          "\r\nC:\\Users\\user1\\AppData\\Local\\Autodesk\\3dsMax\\2016 - "
                          "64bit"
                          "\r\nHKEY_LOCAL_MACHINE\\SOFTWARE\\Autodesk\\3dsMax"));
  EXPECT_EQ(sim.dialogs.boxes()[1].title, "警告");
  EXPECT_FALSE(sim.registry.HasKey(RegistryRoot::CurrentUser, R"(Software\Autodesk\3dsMax)"));
}

TEST_F(UninstallCleanupTest, AnUnknownDesktopUserSkipsTheUserFolderAndSaysWhy) {
  // Where a path with the user's name left out would lead.
  const std::string decoy = R"(C:\Users\AppData\Local\Autodesk\3dsMax\2016 - 64bit\keep.ini)";
  sim.files.AddFile(decoy);
  sim.dialogs.QueueAnswer(kAnswerYes);

  UninstallCleanup(system, view, "");

  EXPECT_TRUE(sim.files.Exists(decoy));
  EXPECT_TRUE(sim.files.Exists(kUser2016));
  EXPECT_FALSE(sim.files.Exists(kInstall2016));
  EXPECT_FALSE(sim.registry.HasKey(RegistryRoot::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax)"));
  EXPECT_THAT(sim.dialogs.texts(),
              ElementsAre(kCleanupQuestion, "未能确定当前桌面用户，已跳过用户配置目录。",
                          "MAX残留清理完毕！"));
  EXPECT_EQ(sim.dialogs.boxes()[1].title, "警告");
}

TEST_F(UninstallCleanupTest, TheGuardRefusesOnlyTheRootItself) {
  struct Case {
    std::string key;
    bool refused;
    std::string deleted;  // the key that reaches the registry
  };
  const Case cases[] = {
      {"", true, ""},
      {" ", true, ""},
      {"\\", true, ""},
      {"  ", false, "  "},
      {R"(SOFTWARE\Autodesk\3dsMax\)", false, R"(SOFTWARE\Autodesk\3dsMax)"},
      // The last byte is the second half of a double-byte character, not a backslash.
      {"SOFTWARE\\\x95\x5C", false, "SOFTWARE\\\x95\x5C"},
  };
  for (const Case& c : cases) {
    sim::SimulatedSystem fresh;
    fresh.registry.AddKey(RegistryRoot::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax)");

    const OsResult result = DeleteRegistryTree(fresh.system(), RegistryRoot::LocalMachine, c.key);

    if (c.refused) {
      EXPECT_FALSE(result.ok());
      EXPECT_THAT(fresh.registry.calls(), IsEmpty()) << '"' << c.key << '"';
      ASSERT_EQ(fresh.dialogs.boxes().size(), 1u);
      EXPECT_EQ(fresh.dialogs.boxes()[0].text, "禁止删除注册表主项");
      EXPECT_EQ(fresh.dialogs.boxes()[0].title, "警告");
      EXPECT_EQ(fresh.dialogs.boxes()[0].style, kBoxIconExclamation | kBoxTaskModal);
    } else {
      EXPECT_THAT(fresh.dialogs.boxes(), IsEmpty()) << '"' << c.key << '"';
      ASSERT_EQ(fresh.registry.calls().size(), 1u);
      EXPECT_EQ(fresh.registry.calls()[0].key, c.deleted);
      EXPECT_EQ(fresh.registry.calls()[0].view, RegistryView::Bits64);
    }
    EXPECT_EQ(fresh.registry.HasKey(RegistryRoot::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax)"),
              c.deleted != R"(SOFTWARE\Autodesk\3dsMax)");
  }
}

}  // namespace
}  // namespace kelvo
