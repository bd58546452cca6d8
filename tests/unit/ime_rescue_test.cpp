#include "maintenance/ime_rescue.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/toolbox.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

constexpr ProcessId kMax = 5120;
constexpr char kTemp[] = R"(C:\Users\user1\AppData\Local\Temp)";

// What cmd does with the batch when it has run: each "reg add" line sets its DWORD value. A file
// that is gone by then does nothing, as cmd finds nothing to read.
void RunRegAddBatch(sim::SimFiles& files, sim::SimRegistry& registry, const std::string& path) {
  const std::optional<std::string> content = files.Content(path);
  if (!content) return;
  std::istringstream lines(*content);
  std::string line;
  while (std::getline(lines, line)) {
    const std::string prefix = "reg add \"HKEY_CURRENT_USER\\";
    if (line.rfind(prefix, 0) != 0) continue;
    const std::size_t key_end = line.find('"', prefix.size());
    const std::size_t name_at = line.find(" /v ") + 4;
    const std::size_t data_at = line.find(" /d ") + 4;
    const std::string key = line.substr(prefix.size(), key_end - prefix.size());
    const std::string name = line.substr(name_at, line.find(' ', name_at) - name_at);
    registry.SetDword(RegistryRoot::CurrentUser, key, name, std::stoul(line.substr(data_at)));
  }
}

class ImeRescueTest : public ::testing::Test {
 protected:
  ImeRescueTest() {
    sim.files.AddFolder(kTemp);
    view.SetHandle(sim.windows.Add({.process = sim::kOwnProcessId, .class_name = "KelvoToolbox"}));
    view.AttachClock(sim.clock, [&](Timer timer) { OnTimerTick(system, toolbox, view, timer); });
    OnToolboxCreated(system, toolbox, view);
  }

  // The batch is opened through its file type and runs for `runs_ms`.
  void BatchRuns(std::uint32_t runs_ms, bool hands_over_process = true) {
    sim.shell.AddProgram(
        kImeBatchName, {.runs_ms = runs_ms,
                        .on_end = [this] { RunRegAddBatch(sim.files, sim.registry, BatchPath()); },
                        .hands_over_process = hands_over_process});
  }
  void TaskkillRuns(std::uint32_t runs_ms) {
    sim.shell.AddProgram("taskkill.exe", {.runs_ms = runs_ms});
    sim.shell.AddProgram("explorer.exe", {.runs_ms = 3'600'000});
  }
  std::string BatchPath() const {
    for (const sim::ShellCall& call : sim.shell.calls()) {
      if (call.verb == "open") return call.file;
    }
    return {};
  }
  bool SettingsInPlace() {
    return sim.registry.ReadDword(RegistryRoot::CurrentUser, kTipKey, "DummyValue",
                                  RegistryView::Default) == 1u &&
           sim.registry.ReadDword(RegistryRoot::CurrentUser, kTsfOverrideKey, "NoTsf3Override2",
                                  RegistryView::Default) == 1u;
  }
  void Click() { OnControlClicked(system, toolbox, view, Control::按钮9); }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  Toolbox toolbox;
  sim::FakeToolboxView view;
};

TEST(ImeBatchTest, TwoLinesOf278BytesWithoutAFinalLineEnd) {
  const std::string batch = kImeBatchContent;
  EXPECT_EQ(batch.size(), 278u);
  EXPECT_EQ(batch.find("\r\n"), batch.rfind("\r\n"));
  EXPECT_NE(batch.back(), '\n');
}

TEST_F(ImeRescueTest, NoChangesNothing) {
  BatchRuns(500);
  TaskkillRuns(200);
  sim.dialogs.QueueAnswer(kAnswerNo);

  Click();

  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.dialogs.boxes()[0].text, kImeRescueQuestion);
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "友情提示");
  EXPECT_EQ(sim.dialogs.boxes()[0].style & ~kBoxTaskModal, kBoxYesNo);
  EXPECT_TRUE(sim.shell.calls().empty());
  EXPECT_TRUE(sim.files.Paths(kTemp).empty());
  EXPECT_FALSE(SettingsInPlace());
}

// The batch is deleted only after it has run, the shell is restarted only once the settings are
// in place and taskkill has ended, and 3ds Max is woken a second after the new shell.
TEST_F(ImeRescueTest, StepsRunInOrderAndWaitForEachOther) {
  sim.processes.Add(kMax, "3dsmax.exe");
  const WindowHandle max_window = sim.windows.Add({.process = kMax,
                                                   .class_name = "Qt5QWindowIcon",
                                                   .title = "Untitled - Autodesk 3ds Max 2021",
                                                   .minimised = true});
  sim.clock.PauseDispatching(1000);
  BatchRuns(2000);
  TaskkillRuns(700);
  sim.dialogs.QueueAnswer(kAnswerYes);
  const std::int64_t click = sim.clock.Elapsed();

  Click();

  EXPECT_TRUE(SettingsInPlace());
  const std::vector<sim::ShellCall>& calls = sim.shell.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].operation, "Open");
  EXPECT_EQ(calls[0].verb, "open");
  EXPECT_EQ(calls[0].file.rfind(std::string(kTemp) + "\\KelvoMAX-", 0), 0u) << calls[0].file;
  EXPECT_TRUE(calls[0].file.ends_with("\\compatible_mod.bat"));
  EXPECT_EQ(calls[0].folder, "");
  EXPECT_EQ(calls[0].show, 1);
  EXPECT_EQ(calls[0].at, click);
  // The batch and its folder are gone; the temporary folder holds nothing of ours.
  EXPECT_TRUE(sim.files.Paths(kTemp).empty());

  EXPECT_EQ(calls[1].operation, "RunHidden");
  EXPECT_EQ(calls[1].file, R"(C:\Windows\system32\taskkill.exe)");
  EXPECT_EQ(calls[1].parameters, "taskkill /im explorer.exe /f");
  EXPECT_GE(calls[1].at, click + 2000 + 300);
  EXPECT_LE(calls[1].at, click + 2000 + 300 + 100);

  EXPECT_EQ(calls[2].operation, "Open");
  EXPECT_EQ(calls[2].verb, "Open");
  EXPECT_EQ(calls[2].file, R"(C:\Windows\explorer.exe)");
  EXPECT_EQ(calls[2].parameters, "");
  EXPECT_EQ(calls[2].folder, R"(C:\Windows)");
  EXPECT_EQ(calls[2].show, 1);
  EXPECT_GE(calls[2].at, calls[1].at + 700);
  EXPECT_LE(calls[2].at, calls[1].at + 700 + 100);

  EXPECT_EQ(sim.windows.maximise_calls(), (std::vector<WindowHandle>{max_window}));
  EXPECT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.shell.Unreleased(), 0);
}

TEST_F(ImeRescueTest, WithoutAnyMaxTheWakeSaysNoProcess) {
  BatchRuns(100);
  TaskkillRuns(100);
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click();

  EXPECT_EQ(sim.dialogs.texts().back(), "未找到进程！");
  EXPECT_EQ(sim.dialogs.boxes().back().title, "错误");
}

// The waits are bounded: a batch that never ends is deleted after 10 s and counts as failed,
// a taskkill that never ends holds the new shell back for 5 s.
TEST_F(ImeRescueTest, BatchThatNeverEndsFailsAfterTenSecondsAndLeavesTheShell) {
  BatchRuns(3'600'000);
  TaskkillRuns(100);
  sim.dialogs.QueueAnswer(kAnswerYes);
  const std::int64_t click = sim.clock.Elapsed();

  Click();

  EXPECT_FALSE(SettingsInPlace());
  EXPECT_TRUE(sim.files.Paths(kTemp).empty());
  ASSERT_EQ(sim.shell.calls().size(), 1u);
  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  EXPECT_EQ(sim.dialogs.boxes()[1].text, "修改输入法设置失败。");
  EXPECT_EQ(sim.dialogs.boxes()[1].title, "错误");
  EXPECT_GE(sim.dialogs.boxes()[1].shown_at, click + 10000 + 300);
  EXPECT_LE(sim.dialogs.boxes()[1].shown_at, click + 10000 + 300 + 100);
  EXPECT_EQ(sim.shell.Unreleased(), 0);
}

TEST_F(ImeRescueTest, TaskkillThatHangsHoldsTheNewShellBackFiveSeconds) {
  BatchRuns(100);
  TaskkillRuns(3'600'000);
  sim.dialogs.QueueAnswer(kAnswerYes);

  Click();

  const std::vector<sim::ShellCall>& calls = sim.shell.calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_GE(calls[2].at, calls[1].at + 5000);
  EXPECT_LE(calls[2].at, calls[1].at + 5000 + 100);
  EXPECT_EQ(sim.shell.Unreleased(), 0);
}

// Where the batch cannot be written or started, only the registry tells the truth.
TEST_F(ImeRescueTest, NoTemporaryFolderMeansFailureUnlessTheSettingsAreThereAlready) {
  BatchRuns(100);
  TaskkillRuns(100);
  sim.shell.SetTempFolder(std::nullopt);
  sim.dialogs.QueueAnswer(kAnswerYes);
  Click();
  EXPECT_EQ(sim.dialogs.texts().back(), "修改输入法设置失败。");
  EXPECT_TRUE(sim.shell.calls().empty());

  sim.registry.SetDword(RegistryRoot::CurrentUser, kTipKey, "DummyValue", 1);
  sim.registry.SetDword(RegistryRoot::CurrentUser, kTsfOverrideKey, "NoTsf3Override2", 1);
  sim.dialogs.QueueAnswer(kAnswerYes);
  Click();
  EXPECT_EQ(sim.shell.calls().size(), 2u);  // taskkill and the new shell
}

// A shell that starts the batch without handing over its process: the settings appearing tell
// that it has run.
TEST_F(ImeRescueTest, WithoutAProcessTheSettingsEndTheWait) {
  BatchRuns(1500, /*hands_over_process=*/false);
  TaskkillRuns(100);
  sim.dialogs.QueueAnswer(kAnswerYes);
  const std::int64_t click = sim.clock.Elapsed();

  Click();

  EXPECT_TRUE(SettingsInPlace());
  ASSERT_EQ(sim.shell.calls().size(), 3u);
  EXPECT_LE(sim.shell.calls()[1].at, click + 1500 + 300 + 100);
}

}  // namespace
}  // namespace kelvo
