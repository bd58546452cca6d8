// MAX杀毒 and 卸载插件: the two operations that close 3ds Max and then clean its script folders.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/toolbox.h"
#include "maintenance/plugin_removal.h"
#include "maintenance/startup_disinfection.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

constexpr ProcessId kMax = 5120;
constexpr ProcessId kSecondMax = 5200;

constexpr char kUserRoot[] = R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\2021 - 64bit)";
constexpr char kChsStartup[] =
    R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\2021 - 64bit\CHS\scripts\startup)";
constexpr char kEnuStartup[] =
    R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\2021 - 64bit\ENU\scripts\startup)";
constexpr char kInstallStartup[] = R"(C:\Program Files\Autodesk\3ds Max 2021\scripts\startup)";

std::string In(const char* folder, const char* name) {
  return std::string(folder) + "\\" + name;
}

struct Ended {
  ProcessId id;
  std::int64_t at;
  bool operator==(const Ended&) const = default;
};

void PrintTo(const Ended& ended, std::ostream* out) {
  *out << "process " << ended.id << " ended at " << ended.at;
}

class ScriptCleaningTest : public ::testing::Test {
 protected:
  ScriptCleaningTest() {
    view.SetHandle(sim.windows.Add({.process = sim::kOwnProcessId, .class_name = "KelvoToolbox"}));
    sim.processes.SetEndedHandler([this](ProcessId id) {
      ended.push_back({id, sim.clock.Elapsed()});
      sim.windows.RemoveWindowsOf(id);
    });
    view.AttachClock(sim.clock, [&](Timer timer) { OnTimerTick(system, toolbox, view, timer); });
    OnToolboxCreated(system, toolbox, view);
    toolbox.desktop_user_name = "user1";
  }

  // Infected folders of 2021: scripts in all three startup folders, one in a subfolder.
  void Infect2021() {
    sim.files.AddFile(In(kChsStartup, "vrdematcleanbeta.ms"), "virus");
    sim.files.AddFile(In(kChsStartup, "plugin_start.ms"), "x");
    sim.files.AddFile(In(kEnuStartup, "a.mse"), "virus");
    sim.files.AddFile(In(kInstallStartup, "000.ms"), "virus");
    sim.files.AddFile(In(kInstallStartup, "sub\\b.ms"), "virus");
    sim.files.AddFile(R"(C:\Program Files\Autodesk\3ds Max 2021\scripts\other.ms)", "keep");
  }

  void StartMax(ProcessId id, const char* name = "3dsmax.exe") {
    sim.processes.Add(id, name);
    sim.clock.PauseDispatching(1000);  // the status monitor sees it
  }

  void ExpectGuardedOnly(const char* folder, const char* guard) {
    EXPECT_EQ(sim.files.Paths(folder), (std::vector<std::string>{In(folder, guard)}));
    EXPECT_EQ(sim.files.Content(In(folder, guard)), "000");
    EXPECT_EQ(sim.files.Attributes(In(folder, guard)), kAttributeReadOnly);
  }

  void ExpectAllThreeGuarded() {
    ExpectGuardedOnly(kChsStartup, "vrdematcleanbeta.ms");
    ExpectGuardedOnly(kEnuStartup, "vrdematcleanbeta.ms");
    ExpectGuardedOnly(kInstallStartup, "000.ms");
  }

  void Click(Control button) { OnControlClicked(system, toolbox, view, button); }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  Toolbox toolbox;
  sim::FakeToolboxView view;
  std::vector<Ended> ended;
};

using DisinfectionTest = ScriptCleaningTest;

TEST_F(DisinfectionTest, NoLeavesEverythingAlone) {
  Infect2021();
  StartMax(kMax);
  view.ChooseRadio(Control::单选框8);
  const std::vector<std::string> before = sim.files.Paths("C:");
  sim.dialogs.QueueAnswer(kAnswerNo);

  Click(Control::按钮6);

  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.dialogs.boxes()[0].text, kDisinfectionQuestion);
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "信息：");
  EXPECT_EQ(sim.dialogs.boxes()[0].style & ~kBoxTaskModal, kBoxYesNo);
  EXPECT_TRUE(ended.empty());
  EXPECT_EQ(sim.files.Paths("C:"), before);
}

TEST_F(DisinfectionTest, ClosesBothMaxThenEmptiesAndGuardsTheThreeFolders) {
  Infect2021();
  StartMax(kMax);
  sim.processes.Add(kSecondMax, "3DSMAX.EXE");
  view.ChooseRadio(Control::单选框8);
  sim.dialogs.QueueAnswer(kAnswerYes);
  const std::int64_t click = sim.clock.Elapsed();

  Click(Control::按钮6);

  EXPECT_EQ(ended, (std::vector<Ended>{{kMax, click}, {kSecondMax, click + 100}}));
  EXPECT_EQ(sim.dialogs.texts(),
            (std::vector<std::string>{kDisinfectionQuestion, "所有MAX已关闭", "操作完成"}));
  EXPECT_EQ(sim.dialogs.boxes()[1].title, "信息：");
  EXPECT_EQ(sim.dialogs.boxes()[2].title, "信息：");
  ExpectAllThreeGuarded();
  // Only the startup folder of the installation is emptied.
  EXPECT_EQ(sim.files.Content(R"(C:\Program Files\Autodesk\3ds Max 2021\scripts\other.ms)"),
            "keep");
}

TEST_F(DisinfectionTest, NoMaxAndNoReleaseSaysNoProcessOnly) {
  Infect2021();
  view.ClearRadios();
  const std::vector<std::string> before = sim.files.Paths("C:");
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click(Control::按钮6);

  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  EXPECT_EQ(sim.dialogs.boxes()[1].text, "未找到进程");
  EXPECT_EQ(sim.dialogs.boxes()[1].title, "错误");
  EXPECT_EQ(sim.files.Paths("C:"), before);
}

TEST_F(DisinfectionTest, SecondRunKeepsTheGuardsAndRemovesWhatCameSince) {
  Infect2021();
  view.ChooseRadio(Control::单选框8);
  sim.dialogs.QueueAnswer(kAnswerYes);
  Click(Control::按钮6);
  ExpectAllThreeGuarded();
  // Since then: new scripts, one read-only, and a guard someone made writable again.
  sim.files.AddFile(In(kChsStartup, "new.ms"), "virus");
  sim.files.AddFile(In(kInstallStartup, "deep\\new.ms"), "virus");
  sim.files.AddFile(In(kEnuStartup, "legit.ms"), "ro", kAttributeReadOnly);
  sim.files.AddFile(In(kInstallStartup, "000.ms"), "000");
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click(Control::按钮6);

  EXPECT_EQ(sim.dialogs.texts().back(), "操作完成");
  ExpectGuardedOnly(kChsStartup, "vrdematcleanbeta.ms");
  ExpectGuardedOnly(kInstallStartup, "000.ms");
  // A read-only startup script survives like the guard does.
  EXPECT_EQ(sim.files.Paths(kEnuStartup),
            (std::vector<std::string>{In(kEnuStartup, "legit.ms"),
                                      In(kEnuStartup, "vrdematcleanbeta.ms")}));
}

TEST_F(DisinfectionTest, FolderOfAnUnusedLanguageIsPassedOverSilently) {
  sim.files.AddFile(In(kChsStartup, "virus.ms"));
  sim.files.AddFolder(In(kUserRoot, "ENU"));  // ENU was used, but never got a scripts folder
  sim.files.AddFolder(kInstallStartup);
  view.ChooseRadio(Control::单选框8);
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click(Control::按钮6);

  EXPECT_EQ(sim.dialogs.texts().back(), "操作完成");
  ExpectGuardedOnly(kChsStartup, "vrdematcleanbeta.ms");
  ExpectGuardedOnly(kInstallStartup, "000.ms");
  EXPECT_FALSE(sim.files.Exists(In(kUserRoot, "ENU\\scripts")));
}

// Whatever keeps a folder from being emptied or guarded is reported, folder by folder.
struct FailureCase {
  const char* name;
  void (*arrange)(sim::SimFiles& files);
  std::vector<std::string> failed_folders;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.name;
}

class DisinfectionFailureTest : public ScriptCleaningTest,
                                public ::testing::WithParamInterface<FailureCase> {};

TEST_P(DisinfectionFailureTest, NamesTheFoldersThatAreNotClean) {
  Infect2021();
  GetParam().arrange(sim.files);
  view.ChooseRadio(Control::单选框8);
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click(Control::按钮6);

  std::string expected = kDisinfectionIncompleteText;
  for (const std::string& folder : GetParam().failed_folders)
    expected += "\r\n" + folder;
  ASSERT_EQ(sim.dialogs.boxes().size(), 3u);
  EXPECT_EQ(sim.dialogs.boxes()[2].text, expected);
  EXPECT_EQ(sim.dialogs.boxes()[2].title, "警告");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DisinfectionFailureTest,
    ::testing::Values(
        FailureCase{
            "ScriptHeldOpen",
            [](sim::SimFiles& files) { files.HoldOpen(In(kChsStartup, "plugin_start.ms")); },
            {kChsStartup}},
        FailureCase{"NoAdministratorRights",
                    [](sim::SimFiles& files) { files.DenyChangesUnder(R"(C:\Program Files)"); },
                    {kInstallStartup}},
        // A read-only file under the guard's name that does not hold "000" is not a guard.
        FailureCase{"ForeignReadOnlyGuard",
                    [](sim::SimFiles& files) {
                      files.AddFile(In(kChsStartup, "vrdematcleanbeta.ms"), "virus",
                                    kAttributeReadOnly);
                      files.AddFile(In(kInstallStartup, "000.ms"), "virus", kAttributeReadOnly);
                    },
                    {kChsStartup, kInstallStartup}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisinfectionTest, UnknownDesktopUserCleansTheInstallationAndSaysWhatWasSkipped) {
  Infect2021();
  toolbox.desktop_user_name.clear();
  view.ChooseRadio(Control::单选框8);
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click(Control::按钮6);

  EXPECT_EQ(sim.dialogs.texts(),
            (std::vector<std::string>{kDisinfectionQuestion, "未找到进程",
                                      "未能确定当前桌面用户，已跳过用户配置目录。", "操作完成"}));
  ExpectGuardedOnly(kInstallStartup, "000.ms");
  EXPECT_EQ(sim.files.Content(In(kChsStartup, "plugin_start.ms")), "x");
}

using PluginRemovalTest = ScriptCleaningTest;

constexpr char kScripts2015[] = R"(C:\Program Files\Autodesk\3ds Max 2015\scripts)";

TEST_F(PluginRemovalTest, NoMaxRemovesTheScriptsFolderWithoutAsking) {
  sim.files.AddFile(In(kScripts2015, "plugin.ms"));
  sim.files.AddFile(In(kScripts2015, "startup\\p.ms"));
  view.ChooseRadio(Control::单选框2);

  Click(Control::按钮7);

  EXPECT_FALSE(sim.files.Exists(kScripts2015));
  EXPECT_TRUE(sim.files.Exists(R"(C:\Program Files\Autodesk\3ds Max 2015)"));
  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.dialogs.boxes()[0].text, "清理完成");
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "信息：");
}

TEST_F(PluginRemovalTest, AnsweringNoClosesAndDeletesNothing) {
  sim.files.AddFile(In(kScripts2015, "plugin.ms"));
  StartMax(kMax);
  view.ChooseRadio(Control::单选框2);
  sim.dialogs.QueueAnswer(kAnswerNo);

  Click(Control::按钮7);

  EXPECT_EQ(sim.dialogs.texts(), (std::vector<std::string>{kPluginCloseQuestion}));
  EXPECT_TRUE(ended.empty());
  EXPECT_TRUE(sim.files.Exists(In(kScripts2015, "plugin.ms")));
}

// Each pass ends the 3ds Max that the status monitor names; the tick inside the pause names the
// next one, and the loop ends once a tick finds none.
TEST_F(PluginRemovalTest, ClosingLoopFollowsTheStatusTicks) {
  sim.files.AddFile(In(kScripts2015, "plugin.ms"));
  StartMax(kMax);
  sim.processes.Add(kSecondMax, "3dsmax.exe");
  view.ChooseRadio(Control::单选框2);
  sim.dialogs.QueueAnswer(kAnswerYes);
  const std::int64_t click = sim.clock.Elapsed();

  Click(Control::按钮7);

  EXPECT_EQ(ended, (std::vector<Ended>{{kMax, click}, {kSecondMax, click + 1200}}));
  EXPECT_FALSE(sim.files.Exists(kScripts2015));
  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  EXPECT_EQ(sim.dialogs.boxes()[1].text, "清理完成");
  EXPECT_EQ(sim.dialogs.boxes()[1].shown_at, click + 2400);
}

TEST_F(PluginRemovalTest, GivesUpOnAMaxThatWillNotEnd) {
  sim.files.AddFile(In(kScripts2015, "plugin.ms"));
  StartMax(kMax);
  sim.processes.RefuseTermination(kMax);
  view.ChooseRadio(Control::单选框2);
  sim.dialogs.QueueAnswer(kAnswerYes);
  const std::int64_t click = sim.clock.Elapsed();

  Click(Control::按钮7);

  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  EXPECT_EQ(sim.dialogs.boxes()[1].text, "无法关闭MAX进程，请手动关闭后重试。");
  EXPECT_EQ(sim.dialogs.boxes()[1].title, "错误");
  EXPECT_EQ(sim.dialogs.boxes()[1].shown_at, click + 12000);
  EXPECT_TRUE(sim.files.Exists(In(kScripts2015, "plugin.ms")));
}

TEST_F(PluginRemovalTest, WithoutAReleaseOnlyClosesMax) {
  sim.files.AddFile(In(kScripts2015, "plugin.ms"));
  StartMax(kMax);
  view.ClearRadios();
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click(Control::按钮7);

  EXPECT_EQ(ended.size(), 1u);
  EXPECT_EQ(sim.dialogs.texts(), (std::vector<std::string>{kPluginCloseQuestion}));
  EXPECT_TRUE(sim.files.Exists(In(kScripts2015, "plugin.ms")));
}

TEST_F(PluginRemovalTest, ReadOnlyGuardStaysAndAFileInUseIsReported) {
  const std::string guard = In(kScripts2015, "startup\\000.ms");
  sim.files.AddFile(guard, "000", kAttributeReadOnly);
  sim.files.AddFile(In(kScripts2015, "plugin.ms"));
  view.ChooseRadio(Control::单选框2);

  Click(Control::按钮7);

  EXPECT_EQ(sim.dialogs.texts().back(), "清理完成");
  EXPECT_EQ(sim.files.Paths(kScripts2015),
            (std::vector<std::string>{In(kScripts2015, "startup"), guard}));

  sim.files.AddFile(In(kScripts2015, "busy.dlx"));
  sim.files.HoldOpen(In(kScripts2015, "busy.dlx"));
  Click(Control::按钮7);

  EXPECT_EQ(sim.dialogs.boxes().back().text,
            "部分插件文件未能删除（需要管理员权限或文件被占用）。");
  EXPECT_EQ(sim.dialogs.boxes().back().title, "警告");
}

}  // namespace
}  // namespace kelvo
