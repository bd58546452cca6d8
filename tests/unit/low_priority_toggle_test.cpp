#include "procctl/low_priority_toggle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/toolbox.h"
#include "procctl/process_toolkit.h"
#include "procctl/window_toolkit.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

constexpr ProcessId kMax = 5120;
constexpr ProcessId kCapitalMax = 5200;
constexpr ProcessId kOther = 6300;
constexpr std::uint32_t kIdleClass = 0x40;
constexpr std::uint32_t kNormalClass = 0x20;
constexpr std::uint32_t kBelowNormalClass = 0x4000;

// What the user sees of 按钮8 while a notice is up.
struct ButtonSeen {
  std::string caption;
  bool is_default;
  bool operator==(const ButtonSeen&) const = default;
};

void PrintTo(const ButtonSeen& seen, std::ostream* out) {
  *out << '"' << seen.caption << '"' << (seen.is_default ? " default" : " normal");
}

class LowPriorityToggleTest : public ::testing::Test {
 protected:
  LowPriorityToggleTest() {
    sim.processes.Add(kOther, "notepad.exe");
    own_window = sim.windows.Add({.process = sim::kOwnProcessId, .class_name = "KelvoToolbox"});
    view.SetHandle(own_window);
  }

  // Two 3ds Max processes, one named in capitals, as the status monitor has seen them.
  void StartTwoMax() {
    sim.processes.Add(kMax, "3dsmax.exe");
    sim.processes.Add(kCapitalMax, "3DSMAX.EXE");
    toolbox.status.values.max_process_id = kMax;
  }

  // Each notice is left to its time-out; meanwhile the test notes how the button looks.
  void WatchNotices(int count) {
    for (int i = 0; i < count; ++i) {
      sim.dialogs.QueueReply([this](const sim::ShownBox&) {
        seen.push_back({view.Caption(Control::按钮8), view.IsDefaultButton(Control::按钮8)});
        sim.clock.PauseDispatching(kTimedBoxDefaultTimeoutMs);
        return kAnswerTimeout;
      });
    }
  }

  void Click() { OnControlClicked(system, toolbox, view, Control::按钮8); }

  std::vector<std::uint32_t> MaxClasses() {
    return {sim.processes.PriorityClass(kMax), sim.processes.PriorityClass(kCapitalMax)};
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  Toolbox toolbox;
  sim::FakeToolboxView view;
  WindowHandle own_window = 0;
  std::vector<ButtonSeen> seen;
};

struct ToggleCase {
  const char* name;
  const char* caption_before;
  bool default_before;
  std::uint32_t class_before;
  std::uint32_t class_after;
  const char* notice;
  const char* caption_after;
  bool default_after;
};

void PrintTo(const ToggleCase& c, std::ostream* out) {
  *out << c.name;
}

class ToggleTableTest : public LowPriorityToggleTest,
                        public ::testing::WithParamInterface<ToggleCase> {};

TEST_P(ToggleTableTest, EachProcessGetsItsClassNoticeCaptionAndButtonKind) {
  const ToggleCase& c = GetParam();
  StartTwoMax();
  view.SetCaption(Control::按钮8, c.caption_before);
  view.SetDefaultButton(Control::按钮8, c.default_before);
  ASSERT_TRUE(sim.processes.SetPriorityClass(kMax, c.class_before).ok());
  ASSERT_TRUE(sim.processes.SetPriorityClass(kCapitalMax, c.class_before).ok());
  WatchNotices(2);

  Click();

  EXPECT_EQ(MaxClasses(), (std::vector<std::uint32_t>{c.class_after, c.class_after}));
  EXPECT_EQ(sim.processes.PriorityClass(kOther), kNormalClass);
  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  for (const sim::ShownBox& box : sim.dialogs.boxes()) {
    EXPECT_EQ(box.kind, sim::BoxKind::Timed);
    EXPECT_EQ(box.text, c.notice);
    EXPECT_EQ(box.title, "友情提醒");
    EXPECT_EQ(box.style, kBoxOk);
    EXPECT_EQ(box.timeout_ms, 5000u);
    EXPECT_EQ(box.owner, own_window);
  }
  // The caption and the kind change after each process's notice, not once at the end.
  EXPECT_EQ(seen, (std::vector<ButtonSeen>{{c.caption_before, c.default_before},
                                           {c.caption_after, c.default_after}}));
  EXPECT_EQ(view.Caption(Control::按钮8), c.caption_after);
  EXPECT_EQ(view.IsDefaultButton(Control::按钮8), c.default_after);
}

INSTANTIATE_TEST_SUITE_P(
    Captions, ToggleTableTest,
    ::testing::Values(ToggleCase{"NormalLowers", "低优先级", false, kNormalClass, kIdleClass,
                                 "MAX进程优先级已调至最低。", "恢复默认", true},
                      ToggleCase{"LoweredRestoresToNormal", "恢复默认", true, kIdleClass,
                                 kNormalClass, "MAX进程优先级已恢复默认。", "低优先级", false},
                      // Restoring sets the normal class whatever the process had before.
                      ToggleCase{"RestoreIgnoresEarlierClass", "恢复默认", true, kBelowNormalClass,
                                 kNormalClass, "MAX进程优先级已恢复默认。", "低优先级", false},
                      // Only the exact caption means normal; anything else counts as lowered.
                      ToggleCase{"OtherCaptionCountsAsLowered", "低优先级 ", false, kIdleClass,
                                 kNormalClass, "MAX进程优先级已恢复默认。", "低优先级", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LowPriorityToggleTest, TwoClicksLowerThenRestoreBothProcesses) {
  StartTwoMax();

  Click();
  EXPECT_EQ(MaxClasses(), (std::vector<std::uint32_t>{kIdleClass, kIdleClass}));
  EXPECT_EQ(view.Caption(Control::按钮8), "恢复默认");
  EXPECT_TRUE(view.IsDefaultButton(Control::按钮8));

  Click();
  EXPECT_EQ(MaxClasses(), (std::vector<std::uint32_t>{kNormalClass, kNormalClass}));
  EXPECT_EQ(view.Caption(Control::按钮8), "低优先级");
  EXPECT_FALSE(view.IsDefaultButton(Control::按钮8));

  EXPECT_EQ(sim.dialogs.texts(),
            (std::vector<std::string>{"MAX进程优先级已调至最低。", "MAX进程优先级已调至最低。",
                                      "MAX进程优先级已恢复默认。", "MAX进程优先级已恢复默认。"}));
}

// Within the second after 3ds Max closed the monitor still names it while no process is left.
TEST_F(LowPriorityToggleTest, StaleMaxProcessIdDoesNothingAndShowsNothing) {
  toolbox.status.values.max_process_id = kMax;

  Click();

  EXPECT_TRUE(sim.dialogs.boxes().empty());
  EXPECT_TRUE(view.changes().empty());
  EXPECT_EQ(view.Caption(Control::按钮8), "低优先级");
  EXPECT_FALSE(view.IsDefaultButton(Control::按钮8));
}

}  // namespace
}  // namespace kelvo
