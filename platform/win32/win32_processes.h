// Processes through a Toolhelp snapshot and OpenProcess.
#pragma once

#include "platform/processes.h"

namespace kelvo {

class Win32Processes final : public Processes {
 public:
  bool ForEachProcess(const std::function<bool(const ProcessEntry&)>& visit) override;
  ProcessId CurrentProcessId() override;
  OsResult SetPriorityClass(ProcessId id, std::uint32_t priority_class) override;
  // 0 when the process cannot be read.
  std::uint32_t PriorityClass(ProcessId id) override;
  OsResult Terminate(ProcessId id, std::uint32_t exit_code) override;
  OsResult SetAffinityMask(ProcessId id, std::uint32_t mask) override;
  // The empty text when Windows cannot tell.
  std::string OwnExecutablePath() override;
};

}  // namespace kelvo
