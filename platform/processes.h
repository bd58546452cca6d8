// Processes of the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/os_result.h"

namespace kelvo {

struct ProcessEntry {
  ProcessId id = 0;
  ProcessId parent_id = 0;
  std::string exe_name;      // file name as the snapshot reports it, GBK
  std::u16string wide_name;  // the same name as UTF-16
};

class Processes {
 public:
  virtual ~Processes() = default;

  // Walks a process snapshot in snapshot order until the visitor answers false.
  // Answers false when no snapshot could be taken.
  virtual bool ForEachProcess(const std::function<bool(const ProcessEntry&)>& visit) = 0;
  virtual ProcessId CurrentProcessId() = 0;
  // Priority class as Windows spells it (0x80 high, 0x20 normal, ...). Id 0 = own process.
  virtual OsResult SetPriorityClass(ProcessId id, std::uint32_t priority_class) = 0;
  virtual std::uint32_t PriorityClass(ProcessId id) = 0;
  // Ends the process (id 0 = own process) with the exit code; does not wait until it is gone.
  virtual OsResult Terminate(ProcessId id, std::uint32_t exit_code) = 0;
  // Restricts the process to the processors of the mask; a zero mask is refused by Windows.
  virtual OsResult SetAffinityMask(ProcessId id, std::uint32_t mask) = 0;
  // Full path of the running program file, GBK ("C:\Program Files (x86)\Kelvo\KelvoMAX工具.exe").
  virtual std::string OwnExecutablePath() = 0;
};

}  // namespace kelvo
