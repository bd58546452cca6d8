// The whole simulated Windows the logic runs against in the host tests.
#pragma once

#include <cstdint>

#include "platform/system.h"
#include "tests/support/sim/sim_accounts.h"
#include "tests/support/sim/sim_clock.h"
#include "tests/support/sim/sim_dialogs.h"
#include "tests/support/sim/sim_files.h"
#include "tests/support/sim/sim_processes.h"
#include "tests/support/sim/sim_registry.h"
#include "tests/support/sim/sim_windows.h"

namespace kelvo::sim {

// These ports have no calls yet.
class SimShell : public Shell {};
class SimHttp : public HttpTransport {};

class SimSystemInfo : public SystemInfo {
 public:
  unsigned ProcessorCount() override { return processors_; }
  // Affinity masks naming a processor beyond the count are refused.
  void SetProcessorCount(unsigned count) { processors_ = count; }

 private:
  unsigned processors_ = 8;
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
  SimShell shell;
  SimSystemInfo system_info;
  SimHttp http;
  SimAccounts accounts{processes};

 private:
  System system_;
};

}  // namespace kelvo::sim
