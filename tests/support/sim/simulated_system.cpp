#include "tests/support/sim/simulated_system.h"

namespace kelvo::sim {

SimulatedSystem::SimulatedSystem(std::uint32_t start_tick)
    : clock(start_tick), windows(clock), dialogs(clock), system_{files,    registry,    processes,
                                                                 windows,  dialogs,     clock,
                                                                 shell,    system_info, http,
                                                                 accounts, notify_area, kernel} {
  processes.SetProcessorSource([this] { return system_info.ProcessorCount(); });
  processes.SetEndedHandler([this](ProcessId id) {
    windows.RemoveWindowsOf(id);
    accounts.Forget(id);
  });
}

void SimulatedSystem::EndProcess(ProcessId id) {
  processes.Remove(id);
}

}  // namespace kelvo::sim
