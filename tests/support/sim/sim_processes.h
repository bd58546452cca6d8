// The machine's process table as a snapshot reports it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/processes.h"

namespace kelvo::sim {

inline constexpr ProcessId kOwnProcessId = 7340;
inline constexpr std::uint32_t kNormalPriorityClass = 0x20;
// Where the program was started from, unless a test says otherwise.
inline constexpr char kDefaultOwnExecutablePath[] = "C:\\Users\\user1\\Downloads\\KelvoMAX工具.exe";

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
  // The process leaves the table (its windows and accounts go with it, see SetEndedHandler); the
  // exit code is kept. Id 0 is the program's own process. An id with no process fails with 87.
  OsResult Terminate(ProcessId id, std::uint32_t exit_code) override;
  // A zero mask, or one naming a processor the machine does not have, fails with 87.
  OsResult SetAffinityMask(ProcessId id, std::uint32_t mask) override;
  std::string OwnExecutablePath() override { return own_path_; }

  // Test side. A new process joins the end of the snapshot with normal priority. The UTF-16 name
  // is derived from an ASCII name; give both names for any other.
  void Add(ProcessId id, const std::string& exe_name, ProcessId parent_id = 0);
  void Add(const ProcessEntry& entry);
  // The process exits by itself.
  void Remove(ProcessId id);
  bool IsRunning(ProcessId id) const;
  // Ids in snapshot order.
  std::vector<ProcessId> Ids() const;
  void SetCurrentProcessId(ProcessId id) { current_ = id; }
  // No snapshot can be taken until this is called with false.
  void FailSnapshots(bool fail) { fail_snapshots_ = fail; }
  // The program's rights do not reach this process: changing it fails with 5.
  void DenyAccess(ProcessId id) { denied_.insert(id); }
  // Only ending this process is refused, with 5 (a protected system process).
  void RefuseTermination(ProcessId id) { unkillable_.insert(id); }
  // The exit code of a process ended through Terminate; nullopt for any other.
  std::optional<std::uint32_t> ExitCode(ProcessId id) const;
  // The last mask accepted for a running process; nullopt while it may use every processor.
  std::optional<std::uint32_t> AffinityMask(ProcessId id) const;
  void SetOwnExecutablePath(const std::string& path) { own_path_ = path; }
  // How many processors affinity masks may name; 0 (the start) checks nothing.
  void SetProcessorSource(std::function<unsigned()> count) { processors_ = std::move(count); }
  // Called after a process has left the table, however it ended.
  void SetEndedHandler(std::function<void(ProcessId)> ended) { ended_ = std::move(ended); }

 private:
  struct Running {
    ProcessEntry entry;
    std::uint32_t priority_class = kNormalPriorityClass;
    std::optional<std::uint32_t> affinity;
  };
  Running* FindRunning(ProcessId id);

  std::vector<Running> table_;
  ProcessId current_ = kOwnProcessId;
  bool fail_snapshots_ = false;
  std::set<ProcessId> denied_;
  std::set<ProcessId> unkillable_;
  std::map<ProcessId, std::uint32_t> exit_codes_;
  std::string own_path_ = kDefaultOwnExecutablePath;
  std::function<unsigned()> processors_;
  std::function<void(ProcessId)> ended_;
};

}  // namespace kelvo::sim
