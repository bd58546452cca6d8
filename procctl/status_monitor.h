// The once-a-second heartbeat: processor and memory load in the status label, and the running
// 3ds Max as every operation sees it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"
#include "model/version_catalogue.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kStatusCpuPrefix[] = "CPU占用率：";
inline constexpr char kStatusCpuUnknown[] = "UNKNOWN ERROR";
inline constexpr char kStatusMemoryPrefix[] = " %\r\n内存使用率：";
inline constexpr char kStatusMemoryLinePrefix[] = "\r\n内存使用率：";
inline constexpr char kStatusSuffix[] = " %";
// The first reading after start with no earlier sample waits this long between its two samples.
inline constexpr std::uint32_t kFirstCpuSampleMs = 800;

// The previous reading of the machine's processor times.
struct CpuMeter {
  std::optional<SystemTimes> previous{};
};

// What the status tick publishes for the other operations; all 0 until the first tick.
struct StatusValues {
  ProcessId max_process_id = 0;      // first "3dsmax.exe", 0 when none
  WindowHandle max_main_window = 0;  // its main window, 0 when none, -1 when no 3ds Max runs
  int cpu_usage = 0;                 // whole machine, percent; negative when unavailable
};

struct StatusMonitor {
  StatusValues values{};
  CpuMeter cpu{};
  bool ticking = false;  // a tick is running further up the stack
  std::string text{};    // the label's text, its buffer reused from tick to tick
};

// Whole-machine processor usage between two samples in percent, rounded half up: 100 minus the
// idle share of all processors' time. -1 when no time passed or the counters went backwards.
int CpuPercentBetween(const SystemTimes& before, const SystemTimes& after);
// Takes the sample the next reading measures from, without waiting.
void TakeCpuBaseline(System& system, CpuMeter& meter);
// Usage since the previous reading (or baseline); -1 when the counters cannot be read. With no
// earlier sample it takes one and waits 800 ms without dispatching for the second.
int MeasureCpuUsage(System& system, CpuMeter& meter);
// The two lines of 透明标签1, written into `text` (its buffer is reused from tick to tick).
void FormatStatusText(int cpu_usage, unsigned memory_load, std::string& text);
// The tick of 时钟1: reads memory load, finds 3ds Max and its main window, measures the
// processor usage, publishes them and writes the status label. A tick that arrives while
// another one waits in the window search is dropped: the outer tick publishes.
void StatusTick(System& system, StatusMonitor& monitor, ToolboxView& view);

}  // namespace kelvo
