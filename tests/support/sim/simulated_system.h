// The whole simulated Windows the logic runs against in the host tests.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/system.h"
#include "tests/support/sim/sim_accounts.h"
#include "tests/support/sim/sim_clock.h"
#include "tests/support/sim/sim_dialogs.h"
#include "tests/support/sim/sim_files.h"
#include "tests/support/sim/sim_http.h"
#include "tests/support/sim/sim_kernel_objects.h"
#include "tests/support/sim/sim_notify_area.h"
#include "tests/support/sim/sim_processes.h"
#include "tests/support/sim/sim_registry.h"
#include "tests/support/sim/sim_shell.h"
#include "tests/support/sim/sim_windows.h"

namespace kelvo::sim {

class SimSystemInfo : public SystemInfo {
 public:
  unsigned ProcessorCount() override { return processors_; }
  std::optional<unsigned> MemoryLoadPercent() override { return memory_load_; }
  std::optional<SystemTimes> ProcessorTimes() override {
    if (!times_readable_) return std::nullopt;
    return times_;
  }

  // Affinity masks naming a processor beyond the count are refused.
  void SetProcessorCount(unsigned count) { processors_ = count; }
  // nullopt: GlobalMemoryStatusEx fails.
  void SetMemoryLoad(std::optional<unsigned> percent) { memory_load_ = percent; }
  void SetProcessorTimes(const SystemTimes& times) { times_ = times; }
  // The counters go on counting while they cannot be read.
  void SetProcessorTimesReadable(bool readable) { times_readable_ = readable; }
  // Every processor runs for wall_ms of which busy_percent (0..100) is kernel or user time; half
  // of the busy time is kernel time, and kernel time includes the idle time as on Windows.
  void RunProcessors(std::uint64_t wall_ms, std::uint64_t busy_percent) {
    const std::uint64_t total = wall_ms * 10'000 * processors_;
    const std::uint64_t busy = total * busy_percent / 100;
    times_.idle += total - busy;
    times_.kernel += total - busy + busy / 2;
    times_.user += busy - busy / 2;
  }

 private:
  unsigned processors_ = 8;
  std::optional<unsigned> memory_load_ = 40;
  SystemTimes times_{};
  bool times_readable_ = true;
};

// Sixteen minutes after boot: far from the tick counter's wrap, and not 0.
inline constexpr std::uint32_t kDefaultStartTick = 1'000'000;

class SimulatedSystem {
 public:
  explicit SimulatedSystem(std::uint32_t start_tick = kDefaultStartTick);
  SimulatedSystem(const SimulatedSystem&) = delete;
  SimulatedSystem& operator=(const SimulatedSystem&) = delete;

  // What the logic receives.
  System& system() { return system_; }

  // The process exits; its windows and what the accounts knew of it go with it (so does every
  // other way a process leaves the table: processes.Remove, a Terminate call of the logic).
  void EndProcess(ProcessId id);

  SimClock clock;
  SimFiles files;
  SimRegistry registry;
  SimProcesses processes;
  SimWindows windows;
  SimDialogs dialogs;
  SimShell shell{clock};
  SimSystemInfo system_info;
  SimHttp http;
  SimAccounts accounts{processes};
  SimNotifyArea notify_area{windows};
  SimKernelObjects kernel;

 private:
  System system_;
};

}  // namespace kelvo::sim
