#include "procctl/status_monitor.h"

#include <charconv>

#include "procctl/process_toolkit.h"
#include "procctl/window_toolkit.h"

namespace kelvo {
namespace {

void AppendNumber(std::string& text, int value) {
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof(digits), value).ptr;
  text.append(digits, end);
}

}  // namespace

int CpuPercentBetween(const SystemTimes& before, const SystemTimes& after) {
  // Kernel plus user time of all processors is the wall time times the processor count, so the
  // idle share of it is idle elapsed / wall elapsed / processors.
  const std::uint64_t total_before = before.kernel + before.user;
  const std::uint64_t total_after = after.kernel + after.user;
  if (total_after <= total_before || after.idle < before.idle) return -1;
  const std::uint64_t total = total_after - total_before;
  const std::uint64_t idle = after.idle - before.idle;
  if (idle >= total) return 0;
  // 100 - idle * 100 / total + 0.5, cut to an integer, in integers.
  const std::uint64_t busy = total - idle;
  return static_cast<int>((busy * 200 + total) / (total * 2));
}

void TakeCpuBaseline(System& system, CpuMeter& meter) {
  meter.previous = system.system_info.ProcessorTimes();
}

int MeasureCpuUsage(System& system, CpuMeter& meter) {
  if (!meter.previous) {
    meter.previous = system.system_info.ProcessorTimes();
    if (!meter.previous) return -1;
    system.pump.SleepBlocking(kFirstCpuSampleMs);
  }
  const std::optional<SystemTimes> now = system.system_info.ProcessorTimes();
  // The last readable sample stays: once the counters answer again the reading covers the gap.
  if (!now) return -1;
  const int percent = CpuPercentBetween(*meter.previous, *now);
  meter.previous = now;
  return percent;
}

void FormatStatusText(int cpu_usage, unsigned memory_load, std::string& text) {
  text.clear();
  if (cpu_usage >= 0) {
    text += kStatusCpuPrefix;
    AppendNumber(text, cpu_usage);
    text += kStatusMemoryPrefix;
  } else {
    text += kStatusCpuUnknown;
    text += kStatusMemoryLinePrefix;
  }
  AppendNumber(text, static_cast<int>(memory_load));
  text += kStatusSuffix;
}

void StatusTick(System& system, StatusMonitor& monitor, ToolboxView& view) {
  if (monitor.ticking) return;
  monitor.ticking = true;
  // GlobalMemoryStatusEx does not fail with a correct length; if it did, 0 is shown.
  const unsigned memory_load = system.system_info.MemoryLoadPercent().value_or(0);
  // One lookup serves both values, so the window always belongs to the published process.
  const ProcessId max_process = FindProcessId(system, kMaxProcessName);
  const WindowHandle max_window =
      max_process == 0 ? kNoSuchProcess : MainWindowOf(system, max_process);
  monitor.values.max_main_window = max_window;
  monitor.values.max_process_id = max_process;
  monitor.values.cpu_usage = MeasureCpuUsage(system, monitor.cpu);

  FormatStatusText(monitor.values.cpu_usage, memory_load, monitor.text);
  view.SetCaption(Control::透明标签1, monitor.text);
  monitor.ticking = false;
}

}  // namespace kelvo
