// The machine's process table as a snapshot reports it.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace kelvo::sim {

inline constexpr ProcessId kOwnProcessId = 7340;
inline constexpr std::uint32_t kNormalPriorityClass = 0x20;

class SimProcesses : public Processes {
 public:
  // The table a snapshot starts with on Windows: "[System Process]" (id 0), "System" (id 4),
  // and the program itself, "KelvoMAX工具.exe" (kOwnProcessId).
  SimProcesses();

  // Processes.
  bool ForEachProcess(const std::function<bool(const ProcessEntry&)>& visit) override;
  ProcessId CurrentProcessId() override { return current_; }
  // Accepts the six Windows priority classes; any other value fails with 87, and so does an id
  // with no process. Id 0 is the program's own process.
  OsResult SetPriorityClass(ProcessId id, std::uint32_t priority_class) override;
  // 0 for an id with no process.
  std::uint32_t PriorityClass(ProcessId id) override;

  // Test side. A new process joins the end of the snapshot with normal priority. The UTF-16 name
  // is derived from an ASCII name; give both names for any other.
  void Add(ProcessId id, const std::string& exe_name, ProcessId parent_id = 0);
  void Add(const ProcessEntry& entry);
  // The process exits.
  void Remove(ProcessId id);
  bool IsRunning(ProcessId id) const;
  // Ids in snapshot order.
  std::vector<ProcessId> Ids() const;
  void SetCurrentProcessId(ProcessId id) { current_ = id; }
  // No snapshot can be taken until this is called with false.
  void FailSnapshots(bool fail) { fail_snapshots_ = fail; }
  // The program's rights do not reach this process: changing it fails with 5.
  void DenyAccess(ProcessId id) { denied_.insert(id); }

 private:
  struct Running {
    ProcessEntry entry;
    std::uint32_t priority_class = kNormalPriorityClass;
  };
  Running* FindRunning(ProcessId id);

  std::vector<Running> table_;
  ProcessId current_ = kOwnProcessId;
  bool fail_snapshots_ = false;
  std::set<ProcessId> denied_;
};

}  // namespace kelvo::sim
