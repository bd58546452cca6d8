// Processes through the system's process list and OpenProcess.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/processes.h"

namespace kelvo {

class Win32Processes final : public Processes {
 public:
  // Reads the process list in one call to ntdll's NtQuerySystemInformation (Wine's Toolhelp walk
  // costs a quarter of a millisecond per process, and the status monitor looks every second);
  // a Toolhelp snapshot where that call is missing or fails.
  bool ForEachProcess(const std::function<bool(const ProcessEntry&)>& visit) override;
  ProcessId CurrentProcessId() override;
  OsResult SetPriorityClass(ProcessId id, std::uint32_t priority_class) override;
  // 0 when the process cannot be read.
  std::uint32_t PriorityClass(ProcessId id) override;
  OsResult Terminate(ProcessId id, std::uint32_t exit_code) override;
  OsResult SetAffinityMask(ProcessId id, std::uint32_t mask) override;
  // The empty text when Windows cannot tell.
  std::string OwnExecutablePath() override;

 private:
  // Kept between walks so that a walk each second does not allocate; a walk started from inside
  // a visitor reads into a list of its own.
  std::vector<std::byte> list_;
  bool list_in_use_ = false;
};

}  // namespace kelvo
