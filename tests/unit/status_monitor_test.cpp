#include "procctl/status_monitor.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/toolbox.h"
#include "procctl/window_toolkit.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using sim::WindowDef;

constexpr ProcessId kMax = 5120;
constexpr ProcessId kSecondMax = 5200;
constexpr ProcessId kOther = 6300;
constexpr char kMaxClass[] = "Qt5QWindowIcon";

std::string Status(int cpu, int memory) {
  return "CPU占用率：" + std::to_string(cpu) + " %\r\n内存使用率：" + std::to_string(memory) + " %";
}

std::string UnknownStatus(int memory) {
  return "UNKNOWN ERROR\r\n内存使用率：" + std::to_string(memory) + " %";
}

class StatusMonitorTest : public ::testing::Test {
 protected:
  StatusMonitorTest() {
    sim.processes.Add(kOther, "notepad.exe");
    own_window = sim.windows.Add({.process = sim::kOwnProcessId, .class_name = "KelvoToolbox"});
    view.SetHandle(own_window);
  }

  // 时钟1 runs on the simulated clock from the window's creation on.
  void CreateWindowWithTimers() {
    view.AttachClock(sim.clock, [&](Timer timer) {
      ticks.push_back(sim.clock.Elapsed());
      OnTimerTick(system, toolbox, view, timer);
    });
    OnToolboxCreated(system, toolbox, view);
  }

  const StatusValues& published() const { return toolbox.status.values; }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  Toolbox toolbox;
  sim::FakeToolboxView view;
  WindowHandle own_window = 0;
  std::vector<std::int64_t> ticks;
};

// Where 3ds Max stands on the desktop, and what the lookup and the tick make of it.
struct MaxDesktop {
  const char* name;
  std::function<WindowHandle(sim::SimulatedSystem&)> build;  // answers the expected window
  ProcessId expected_process;
  bool no_process;  // the window answer is -1
};

class MaxDesktopTest : public StatusMonitorTest,
                       public ::testing::WithParamInterface<MaxDesktop> {};

TEST_P(MaxDesktopTest, LookupAndTickAgreeOnProcessAndMainWindow) {
  const WindowHandle expected = GetParam().build(sim);
  const WindowHandle expected_window = GetParam().no_process ? kNoSuchProcess : expected;

  EXPECT_EQ(FindMainWindowByProcessName(system, "3dsmax.exe"), expected_window);
  StatusTick(system, toolbox.status, view);
  EXPECT_EQ(published().max_process_id, GetParam().expected_process);
  EXPECT_EQ(published().max_main_window, expected_window);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, MaxDesktopTest,
    ::testing::Values(
        MaxDesktop{"NoMax", [](sim::SimulatedSystem&) { return WindowHandle{0}; }, 0, true},
        MaxDesktop{"MainWindowBelowAnotherProgram",
                   [](sim::SimulatedSystem& s) {
                     s.processes.Add(kMax, "3dsmax.exe");
                     const WindowHandle main =
                         s.windows.Add({.process = kMax, .class_name = kMaxClass});
                     s.windows.Add({.process = kOther, .class_name = "Notepad"});
                     return main;
                   },
                   kMax, false},
        MaxDesktop{"NameInCapitals",
                   [](sim::SimulatedSystem& s) {
                     s.processes.Add(kMax, "3DSMAX.EXE");
                     return s.windows.Add({.process = kMax, .class_name = kMaxClass});
                   },
                   kMax, false},
        MaxDesktop{"HiddenMainWindow",
                   [](sim::SimulatedSystem& s) {
                     s.processes.Add(kMax, "3dsmax.exe");
                     s.windows.Add({.process = kMax, .class_name = kMaxClass, .visible = false});
                     return WindowHandle{0};
                   },
                   kMax, false},
        MaxDesktop{"OnlyAnOwnedDialogVisible",
                   [](sim::SimulatedSystem& s) {
                     s.processes.Add(kMax, "3dsmax.exe");
                     const WindowHandle main = s.windows.Add(
                         {.process = kMax, .class_name = kMaxClass, .visible = false});
                     s.windows.Add({.process = kMax, .owner = main, .class_name = "#32770"});
                     return WindowHandle{0};
                   },
                   kMax, false},
        MaxDesktop{"TwoRunningTheFirstCounts",
                   [](sim::SimulatedSystem& s) {
                     s.processes.Add(kMax, "3dsmax.exe");
                     s.processes.Add(kSecondMax, "3dsmax.exe");
                     s.windows.Add({.process = kSecondMax, .class_name = kMaxClass});
                     return s.windows.Add({.process = kMax, .class_name = kMaxClass});
                   },
                   kMax, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StatusMonitorTest, TheMainWindowSearchGivesUpAfterAbout100Ms) {
  sim.processes.Add(kMax, "3dsmax.exe");
  for (int i = 0; i < 50; ++i)
    sim.windows.Add({.process = kOther, .class_name = "Notepad"});
  sim.windows.AddBehind({.process = kMax, .class_name = kMaxClass});
  sim.windows.SetCallCost(5);
  const std::int64_t start = sim.clock.Elapsed();

  EXPECT_EQ(FindMainWindowByProcessName(system, "3dsmax.exe"), 0);
  EXPECT_GE(sim.clock.Elapsed() - start, 100);
  EXPECT_LT(sim.clock.Elapsed() - start, 130);
}

// Processor usage between two samples: wall time, processors and the idle time they summed up.
struct CpuCase {
  std::uint64_t wall_ms;
  unsigned processors;
  std::uint64_t idle_ms;  // over all processors
  int expected;
};

class CpuPercentTest : public ::testing::TestWithParam<CpuCase> {};

TEST_P(CpuPercentTest, IsTheBusyShareOfAllProcessorsRoundedHalfUp) {
  const CpuCase& c = GetParam();
  const SystemTimes before{.idle = 7'000'000, .kernel = 9'000'000, .user = 4'000'000};
  const std::uint64_t total = c.wall_ms * 10'000 * c.processors;
  const std::uint64_t idle = c.idle_ms * 10'000;
  const std::uint64_t busy = total > idle ? total - idle : 0;
  // Kernel time includes idle time; the busy time is split between kernel and user.
  const SystemTimes after{.idle = before.idle + idle,
                          .kernel = before.kernel + idle + busy / 3,
                          .user = before.user + busy - busy / 3};

  EXPECT_EQ(CpuPercentBetween(before, after), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, CpuPercentTest,
                         ::testing::Values(CpuCase{1000, 1, 1000, 0},    // idle throughout
                                           CpuCase{1000, 1, 0, 100},     // busy throughout
                                           CpuCase{1000, 4, 1000, 75},   // 100 - 1000/1000*100/4
                                           CpuCase{1000, 8, 7960, 1},    // 0.5 rounds up
                                           CpuCase{1000, 8, 7961, 0},    // 0.4875 rounds down
                                           CpuCase{1000, 4, 3500, 13},   // 12.5
                                           CpuCase{1000, 4, 3502, 12},   // 12.45
                                           CpuCase{800, 2, 8, 100},      // 99.5
                                           CpuCase{1000, 2, 2010, 0},    // idle over wall: 0
                                           CpuCase{1003, 6, 2407, 60}),  // 60.0
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(CpuPercentBetweenTest, NoTimePassedOrCountersBackwardsIsUnavailable) {
  const SystemTimes sample{.idle = 50, .kernel = 80, .user = 40};
  EXPECT_LT(CpuPercentBetween(sample, sample), 0);
  EXPECT_LT(CpuPercentBetween(sample, {.idle = 40, .kernel = 90, .user = 45}), 0);
  EXPECT_LT(CpuPercentBetween(sample, {.idle = 50, .kernel = 70, .user = 40}), 0);
}

TEST_F(StatusMonitorTest, NothingIsPublishedAndTheLabelWaitsUntilTheFirstTick) {
  CreateWindowWithTimers();
  sim.system_info.RunProcessors(999, 30);
  sim.clock.PauseDispatching(999);

  EXPECT_TRUE(ticks.empty());
  EXPECT_EQ(published().max_process_id, 0u);
  EXPECT_EQ(published().max_main_window, 0);
  EXPECT_EQ(published().cpu_usage, 0);
  EXPECT_EQ(view.Caption(Control::透明标签1), "读取中...");
}

TEST_F(StatusMonitorTest, TheFirstTickMeasuresFromTheSampleTakenAtCreation) {
  CreateWindowWithTimers();
  sim.system_info.SetMemoryLoad(52);
  sim.system_info.RunProcessors(1000, 37);
  sim.clock.PauseDispatching(1000);

  // One tick at 1 s that did not wait for a second sample.
  ASSERT_EQ(ticks, std::vector<std::int64_t>{1000});
  EXPECT_EQ(sim.clock.Elapsed(), 1000);
  EXPECT_EQ(published().cpu_usage, 37);
  EXPECT_EQ(published().max_main_window, kNoSuchProcess);
  EXPECT_EQ(view.Caption(Control::透明标签1), Status(37, 52));

  // Each later tick covers the last second only.
  sim.system_info.RunProcessors(1000, 81);
  sim.clock.PauseDispatching(1000);
  EXPECT_EQ(view.Caption(Control::透明标签1), Status(81, 52));
}

TEST_F(StatusMonitorTest, FullLoadIsShownAs100) {
  CreateWindowWithTimers();
  sim.system_info.SetMemoryLoad(100);
  sim.system_info.RunProcessors(1000, 100);
  sim.clock.PauseDispatching(1000);

  EXPECT_EQ(published().cpu_usage, 100);
  EXPECT_EQ(view.Caption(Control::透明标签1), Status(100, 100));
}

TEST_F(StatusMonitorTest, UnreadableCountersShowUnknownErrorOnEveryTick) {
  sim.system_info.SetProcessorTimesReadable(false);
  sim.system_info.SetMemoryLoad(63);
  CreateWindowWithTimers();

  for (int tick = 1; tick <= 3; ++tick) {
    sim.system_info.RunProcessors(1000, 20);
    sim.clock.PauseDispatching(1000);
    SCOPED_TRACE(tick);
    EXPECT_LT(published().cpu_usage, 0);
    EXPECT_EQ(view.Caption(Control::透明标签1), UnknownStatus(63));
  }
  // No tick waited for a second sample that could not come.
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{1000, 2000, 3000}));
}

TEST_F(StatusMonitorTest, AfterAGapInTheCountersTheReadingCoversTheGap) {
  CreateWindowWithTimers();
  sim.system_info.RunProcessors(1000, 10);
  sim.system_info.SetProcessorTimesReadable(false);
  sim.clock.PauseDispatching(1000);
  EXPECT_EQ(view.Caption(Control::透明标签1), UnknownStatus(40));

  sim.system_info.RunProcessors(1000, 50);
  sim.system_info.SetProcessorTimesReadable(true);
  sim.clock.PauseDispatching(1000);
  EXPECT_EQ(published().cpu_usage, 30);  // both seconds since the creation sample
  EXPECT_EQ(ticks, (std::vector<std::int64_t>{1000, 2000}));
}

TEST_F(StatusMonitorTest, AReadingWithoutAnEarlierSampleWaits800MsForTheSecond) {
  sim.clock.Schedule(800, [&] { sim.system_info.RunProcessors(800, 45); });
  CpuMeter meter;

  EXPECT_EQ(MeasureCpuUsage(system, meter), 45);
  EXPECT_EQ(sim.clock.Elapsed(), 800);
}

TEST_F(StatusMonitorTest, UnreadableMemoryLoadIsShownAsZero) {
  sim.system_info.SetMemoryLoad(std::nullopt);
  CreateWindowWithTimers();
  sim.system_info.RunProcessors(1000, 5);
  sim.clock.PauseDispatching(1000);

  EXPECT_EQ(view.Caption(Control::透明标签1), Status(5, 0));
}

TEST_F(StatusMonitorTest, TicksInsideAnotherHandlersPausesKeepThePublishedValuesCurrent) {
  sim.processes.Add(kMax, "3dsmax.exe");
  const WindowHandle max_window = sim.windows.Add({.process = kMax, .class_name = kMaxClass});
  CreateWindowWithTimers();
  sim.system_info.RunProcessors(1000, 20);
  sim.clock.PauseDispatching(1000);
  ASSERT_EQ(published().max_process_id, kMax);
  ASSERT_EQ(published().max_main_window, max_window);

  // 3ds Max ends at 1.5 s while a handler waits for it in 100 ms pauses, and the load changes.
  sim.clock.Schedule(500, [&] {
    sim.EndProcess(kMax);
    sim.system_info.RunProcessors(500, 90);
  });
  sim.system_info.RunProcessors(500, 10);
  int pauses = 0;
  while (published().max_process_id != 0 && pauses < 50) {
    sim.clock.PauseDispatching(100);
    ++pauses;
  }

  EXPECT_EQ(pauses, 10);  // seen by the tick at 2 s
  EXPECT_EQ(published().max_main_window, kNoSuchProcess);
  EXPECT_EQ(published().cpu_usage, 50);
  EXPECT_EQ(view.Caption(Control::透明标签1), Status(50, 40));
}

TEST_F(StatusMonitorTest, ATickArrivingInsideTheWindowSearchIsDropped) {
  sim.processes.Add(kMax, "3dsmax.exe");
  const WindowHandle max_window = sim.windows.Add({.process = kMax, .class_name = kMaxClass});
  sim.windows.Add({.process = kOther, .class_name = "Notepad"});  // the search dispatches here
  OnToolboxCreated(system, toolbox, view);
  sim.system_info.RunProcessors(1000, 64);
  int nested = 0;
  sim.clock.Post([&] {
    ++nested;
    StatusTick(system, toolbox.status, view);
  });

  StatusTick(system, toolbox.status, view);

  EXPECT_EQ(nested, 1);
  EXPECT_EQ(published().max_main_window, max_window);
  EXPECT_EQ(published().cpu_usage, 64);  // not an empty interval measured by the inner tick
  int captions = 0;
  for (const sim::ViewChange& change : view.changes()) {
    if (change.control == Control::透明标签1) ++captions;
  }
  EXPECT_EQ(captions, 1);
  EXPECT_EQ(view.Caption(Control::透明标签1), Status(64, 40));
}

}  // namespace
}  // namespace kelvo
