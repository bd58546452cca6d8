#include "procctl/freeze_guard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/toolbox.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

constexpr ProcessId kShell = 2400;
constexpr ProcessId kMax = 5120;
constexpr ProcessId kSecondMax = 5200;
constexpr std::uint32_t kIdleClass = 0x40;
constexpr std::uint32_t kNormalClass = 0x20;
constexpr std::uint32_t kHighClass = 0x80;

// A reading of the processor load a second, and the flag after each.
struct WatchCase {
  const char* name;
  std::vector<int> readings;
  std::vector<int> flags;
  bool still_running;
};

void PrintTo(const WatchCase& c, std::ostream* out) {
  *out << c.name;
}

class WatchStepTest : public ::testing::TestWithParam<WatchCase> {};

TEST_P(WatchStepTest, FlagFollowsTheLoad) {
  CpuWatch watch{.running = true};
  std::vector<int> flags;
  for (const int reading : GetParam().readings) {
    WatchStep(watch, reading);
    flags.push_back(watch.suppress_requested);
  }
  EXPECT_EQ(flags, GetParam().flags);
  EXPECT_EQ(watch.running, GetParam().still_running);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, WatchStepTest,
    ::testing::Values(
        // Full load restrains and the next second makes no decision; 51 to 99 change nothing.
        WatchCase{"FullThenFalling", {100, 80, 60, 50}, {1, 1, 1, 0}, true},
        WatchCase{"InBetweenKeepsFreedom", {99, 51, 70}, {0, 0, 0}, true},
        WatchCase{"HeldSecondIgnoresItsReading", {100, 20, 100, 0}, {1, 1, 1, 1}, true},
        WatchCase{"ReleasedAfterTheHold", {100, 20, 20}, {1, 1, 0}, true},
        // Unmeasurable load frees 3ds Max and ends the watch; later readings decide nothing.
        WatchCase{"NegativeEndsTheWatch", {100, 100, -1, 100}, {1, 1, 0, 0}, false},
        WatchCase{"NegativeAtOnce", {-5}, {0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

class FreezeGuardTest : public ::testing::Test {
 protected:
  FreezeGuardTest() {
    sim.processes.Add(kShell, "explorer.exe");
    sim.processes.Add(kMax, "3dsmax.exe");
    sim.processes.Add(kSecondMax, "3DSMAX.EXE");
    sim.processes.SetProcessorSource([this] { return sim.system_info.ProcessorCount(); });
    sim.system_info.SetProcessorCount(8);
    status.max_process_id = kMax;
  }

  void Tick(bool checked) {
    view.SetChecked(Control::选择框2, checked);
    GuardSwitch(system, guard, view, status);
  }
  void GuardTickWith(int cpu_usage) {
    status.cpu_usage = cpu_usage;
    GuardTick(system, guard, view, status);
  }
  std::string Label() { return view.Caption(Control::透明标签2); }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  sim::FakeToolboxView view;
  FreezeGuard guard;
  StatusValues status;
};

TEST_F(FreezeGuardTest, TickingLowersMaxAndClearingRestoresEverything) {
  Tick(true);

  EXPECT_EQ(sim.processes.PriorityClass(kMax), kIdleClass);
  EXPECT_EQ(sim.processes.PriorityClass(kSecondMax), kIdleClass);
  EXPECT_EQ(sim.processes.PriorityClass(kShell), kHighClass);
  EXPECT_EQ(view.Caption(Control::按钮8), "恢复默认");
  EXPECT_FALSE(view.IsEnabled(Control::按钮8));
  EXPECT_EQ(view.TimerPeriod(Timer::时钟2), 1000u);
  EXPECT_TRUE(sim.dialogs.boxes().empty());

  GuardTickWith(100);
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFCu);
  EXPECT_EQ(Label(), "已压制");

  Tick(false);

  EXPECT_EQ(sim.processes.PriorityClass(kMax), kNormalClass);
  EXPECT_EQ(sim.processes.PriorityClass(kSecondMax), kNormalClass);
  EXPECT_EQ(sim.processes.PriorityClass(kShell), kNormalClass);
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFFu);
  EXPECT_EQ(sim.processes.AffinityMask(kSecondMax), 0xFFu);
  EXPECT_EQ(view.Caption(Control::按钮8), "低优先级");
  EXPECT_TRUE(view.IsEnabled(Control::按钮8));
  EXPECT_EQ(view.TimerPeriod(Timer::时钟2), 0u);
  EXPECT_EQ(Label(), "");
}

// The low-priority button's state before ticking does not turn the guard's lowering around.
TEST_F(FreezeGuardTest, TickingAlwaysLowersWhateverTheButtonSays) {
  view.SetCaption(Control::按钮8, "恢复默认");
  Tick(true);
  EXPECT_EQ(sim.processes.PriorityClass(kMax), kIdleClass);
  EXPECT_EQ(view.Caption(Control::按钮8), "恢复默认");
}

TEST_F(FreezeGuardTest, TicksRestrainAndFreeWithMasksForEightProcessors) {
  Tick(true);
  const std::int64_t start = sim.clock.Elapsed();

  GuardTickWith(100);
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFCu);
  EXPECT_EQ(sim.processes.AffinityMask(kSecondMax), 0xFCu);
  EXPECT_EQ(Label(), "已压制");
  EXPECT_EQ(view.TextColour(Control::透明标签2), 0x808080u);
  // 100 ms after each process.
  EXPECT_EQ(sim.clock.Elapsed() - start, 200);

  GuardTickWith(30);  // the held second
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFCu);
  GuardTickWith(30);
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFFu);
  EXPECT_EQ(sim.processes.AffinityMask(kSecondMax), 0xFFu);
  EXPECT_EQ(Label(), "未压制");
  EXPECT_EQ(view.TextColour(Control::透明标签2), kColourBlack);
}

// The label never claims restraint that Windows refused.
TEST_F(FreezeGuardTest, RefusedRestraintReadsNotRestrained) {
  sim.system_info.SetProcessorCount(2);
  Tick(true);
  GuardTickWith(100);
  EXPECT_EQ(sim.processes.AffinityMask(kMax), std::nullopt);
  EXPECT_EQ(Label(), "未压制");

  sim.system_info.SetProcessorCount(8);
  sim.processes.DenyAccess(kMax);
  sim.processes.DenyAccess(kSecondMax);
  GuardTickWith(100);
  EXPECT_EQ(Label(), "未压制");
}

TEST_F(FreezeGuardTest, UnmeasurableLoadShowsErrorOnlyWithoutProcessesAndEndsTheWatchOnce) {
  Tick(true);
  GuardTickWith(100);
  GuardTickWith(100);  // held
  status.max_process_id = kMax;
  sim.processes.Remove(kMax);
  sim.processes.Remove(kSecondMax);
  GuardTickWith(-1);  // the monitor still names a 3ds Max, the fresh list is empty

  EXPECT_EQ(Label(), "ERROR");
  EXPECT_EQ(view.TextColour(Control::透明标签2), kColourRed);
  EXPECT_EQ(sim.dialogs.texts(), (std::vector<std::string>{"未找到进程。"}));
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "通知");
  EXPECT_EQ(guard.watch.suppress_requested, 0);

  sim.processes.Add(kMax, "3dsmax.exe");
  GuardTickWith(-1);
  EXPECT_EQ(sim.dialogs.boxes().size(), 1u);  // the watch has ended: no second notice
  EXPECT_EQ(Label(), "未压制");
}

TEST_F(FreezeGuardTest, SwitchesItselfOffWhenMaxHasEnded) {
  Tick(true);
  GuardTickWith(100);
  status.max_process_id = 0;
  sim.processes.Remove(kMax);
  sim.processes.Remove(kSecondMax);

  GuardTickWith(100);

  EXPECT_FALSE(view.IsChecked(Control::选择框2));
  EXPECT_TRUE(view.IsEnabled(Control::按钮8));
  EXPECT_EQ(view.Caption(Control::按钮8), "低优先级");
  EXPECT_EQ(view.TimerPeriod(Timer::时钟2), 0u);
  EXPECT_EQ(sim.processes.PriorityClass(kShell), kNormalClass);
  EXPECT_EQ(Label(), "已压制");
  EXPECT_TRUE(sim.dialogs.boxes().empty());
}

TEST_F(FreezeGuardTest, NoMaxWhenTickingSaysSoAndStartsNothing) {
  status.max_process_id = 0;
  Tick(true);

  EXPECT_EQ(sim.dialogs.texts(),
            (std::vector<std::string>{"未找到MAX进程，请开启MAX再开启此功能。"}));
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "通知");
  EXPECT_FALSE(view.IsChecked(Control::选择框2));
  EXPECT_EQ(view.TimerPeriod(Timer::时钟2), 0u);
  EXPECT_TRUE(view.IsEnabled(Control::按钮8));
  EXPECT_EQ(sim.processes.PriorityClass(kShell), kNormalClass);
  EXPECT_FALSE(guard.watch.running);
}

// Ticking again while a watch runs goes on with that watch and its decision.
TEST_F(FreezeGuardTest, TickingAgainReusesTheRunningWatch) {
  Tick(true);
  GuardTickWith(100);
  Tick(false);
  Tick(true);
  EXPECT_TRUE(guard.watch.running);
  EXPECT_EQ(guard.watch.suppress_requested, 1);
  GuardTickWith(100);  // still the held second of the first watch
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFCu);
}

// The whole window: the status monitor measures the load, the guard's ticks act on it.
TEST(FreezeGuardWindowTest, FollowsTheMeasuredLoadThroughTheTicks) {
  sim::SimulatedSystem sim;
  System& system = sim.system();
  sim::FakeToolboxView view;
  Toolbox toolbox;
  sim.processes.Add(kMax, "3dsmax.exe");
  sim.processes.SetProcessorSource([&] { return sim.system_info.ProcessorCount(); });
  view.SetHandle(sim.windows.Add({.process = sim::kOwnProcessId, .class_name = "KelvoToolbox"}));
  view.AttachClock(sim.clock, [&](Timer timer) { OnTimerTick(system, toolbox, view, timer); });
  OnToolboxCreated(system, toolbox, view);
  // Full load for five seconds, then a quiet machine; the counters move just before each tick.
  const int load[] = {100, 100, 100, 100, 100, 10, 10, 10, 10, 10};
  for (int second = 0; second < 10; ++second) {
    sim.clock.Schedule(second * 1000 + 999,
                       [&, second] { sim.system_info.RunProcessors(1000, load[second]); });
  }
  sim.clock.PauseDispatching(1500);
  ASSERT_EQ(toolbox.status.values.max_process_id, kMax);

  view.SetChecked(Control::选择框2, true);
  OnControlClicked(system, toolbox, view, Control::选择框2);
  sim.clock.PauseDispatching(2000);
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFCu);
  EXPECT_EQ(view.Caption(Control::透明标签2), "已压制");

  sim.clock.PauseDispatching(5000);
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFFu);
  EXPECT_EQ(view.Caption(Control::透明标签2), "未压制");

  sim.processes.Remove(kMax);
  sim.clock.PauseDispatching(2000);
  EXPECT_FALSE(view.IsChecked(Control::选择框2));
  EXPECT_EQ(view.TimerPeriod(Timer::时钟2), 0u);
}

}  // namespace
}  // namespace kelvo
