// Win32SystemInfo's load counters and the processor measure built on them, against Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32/win32_system.h"
#include "platform/win32/win32_system_info.h"
#include "procctl/status_monitor.h"

namespace kelvo {
namespace {

TEST(SystemLoad, ProcessorTimesGrowAndKernelTimeIncludesIdleTime) {
  Win32SystemInfo info;
  const std::optional<SystemTimes> before = info.ProcessorTimes();
  ASSERT_TRUE(before);
  ::Sleep(300);  // Wine counts in 10 ms steps
  const std::optional<SystemTimes> after = info.ProcessorTimes();
  ASSERT_TRUE(after);

  EXPECT_GE(after->idle, before->idle);
  EXPECT_GE(after->kernel, before->kernel);
  EXPECT_GE(after->user, before->user);
  EXPECT_GT(after->kernel + after->user, before->kernel + before->user);
  EXPECT_GE(after->kernel, after->idle);
}

TEST(SystemLoad, MemoryLoadIsAPercentage) {
  Win32SystemInfo info;
  const std::optional<unsigned> load = info.MemoryLoadPercent();
  ASSERT_TRUE(load);
  EXPECT_LE(*load, 100u);
}

TEST(SystemLoad, ProcessorUsageOverASecondIsAPercentage) {
  Win32System win32;
  System& system = win32.system();
  CpuMeter meter;
  TakeCpuBaseline(system, meter);
  ASSERT_TRUE(meter.previous);
  ::Sleep(1000);

  const int usage = MeasureCpuUsage(system, meter);
  EXPECT_GE(usage, 0);
  EXPECT_LE(usage, 100);
}

}  // namespace
}  // namespace kelvo
