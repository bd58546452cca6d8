#include "tests/support/sim/sim_processes.h"

#include <algorithm>
#include <stdexcept>

namespace kelvo::sim {
namespace {

bool IsPriorityClass(std::uint32_t value) {
  static constexpr std::uint32_t kClasses[] = {0x20, 0x40, 0x80, 0x100, 0x4000, 0x8000};
  return std::find(std::begin(kClasses), std::end(kClasses), value) != std::end(kClasses);
}

}  // namespace

SimProcesses::SimProcesses() {
  Add(0, "[System Process]");
  Add(4, "System");
  Add({kOwnProcessId, 0, "KelvoMAX工具.exe", u"KelvoMAX工具.exe"});
}

bool SimProcesses::ForEachProcess(const std::function<bool(const ProcessEntry&)>& visit) {
  if (fail_snapshots_) return false;
  // A snapshot: processes that start or end during the walk do not change it.
  const std::vector<Running> snapshot = table_;
  for (const Running& process : snapshot) {
    if (!visit(process.entry)) break;
  }
  return true;
}

OsResult SimProcesses::SetPriorityClass(ProcessId id, std::uint32_t priority_class) {
  if (id == 0) id = current_;
  Running* process = FindRunning(id);
  if (!process) return OsResult::Failed(kErrorInvalidParameter);
  if (denied_.contains(id)) return OsResult::Failed(kErrorAccessDenied);
  if (!IsPriorityClass(priority_class)) return OsResult::Failed(kErrorInvalidParameter);
  process->priority_class = priority_class;
  return OsResult::Ok();
}

std::uint32_t SimProcesses::PriorityClass(ProcessId id) {
  if (id == 0) id = current_;
  const Running* process = FindRunning(id);
  return process ? process->priority_class : 0;
}

OsResult SimProcesses::Terminate(ProcessId id, std::uint32_t exit_code) {
  if (id == 0) id = current_;
  if (!FindRunning(id)) return OsResult::Failed(kErrorInvalidParameter);
  if (denied_.contains(id) || unkillable_.contains(id)) {
    return OsResult::Failed(kErrorAccessDenied);
  }
  exit_codes_[id] = exit_code;
  Remove(id);
  return OsResult::Ok();
}

OsResult SimProcesses::SetAffinityMask(ProcessId id, std::uint32_t mask) {
  if (id == 0) id = current_;
  Running* process = FindRunning(id);
  if (!process) return OsResult::Failed(kErrorInvalidParameter);
  if (denied_.contains(id)) return OsResult::Failed(kErrorAccessDenied);
  if (mask == 0) return OsResult::Failed(kErrorInvalidParameter);
  const unsigned processors = processors_ ? processors_() : 0;
  if (processors > 0 && processors < 32 && (mask >> processors) != 0) {
    return OsResult::Failed(kErrorInvalidParameter);
  }
  process->affinity = mask;
  return OsResult::Ok();
}

std::optional<std::uint32_t> SimProcesses::ExitCode(ProcessId id) const {
  const auto found = exit_codes_.find(id);
  if (found == exit_codes_.end()) return std::nullopt;
  return found->second;
}

std::optional<std::uint32_t> SimProcesses::AffinityMask(ProcessId id) const {
  for (const Running& process : table_) {
    if (process.entry.id == id) return process.affinity;
  }
  return std::nullopt;
}

void SimProcesses::Add(ProcessId id, const std::string& exe_name, ProcessId parent_id) {
  std::u16string wide;
  for (const char c : exe_name) {
    if (static_cast<unsigned char>(c) >= 0x80) {
      throw std::invalid_argument("give the UTF-16 name of a non-ASCII process name");
    }
    wide.push_back(static_cast<char16_t>(c));
  }
  Add({id, parent_id, exe_name, wide});
}

void SimProcesses::Add(const ProcessEntry& entry) {
  if (IsRunning(entry.id)) throw std::invalid_argument("a process with this id runs already");
  Running running;
  running.entry = entry;
  table_.push_back(std::move(running));
  exit_codes_.erase(entry.id);  // a new process under a reused id
}

void SimProcesses::Remove(ProcessId id) {
  const auto removed =
      std::erase_if(table_, [id](const Running& process) { return process.entry.id == id; });
  if (removed > 0 && ended_) ended_(id);
}

bool SimProcesses::IsRunning(ProcessId id) const {
  return std::any_of(table_.begin(), table_.end(),
                     [id](const Running& process) { return process.entry.id == id; });
}

std::vector<ProcessId> SimProcesses::Ids() const {
  std::vector<ProcessId> ids;
  for (const Running& process : table_)
    ids.push_back(process.entry.id);
  return ids;
}

SimProcesses::Running* SimProcesses::FindRunning(ProcessId id) {
  const auto found = std::find_if(table_.begin(), table_.end(),
                                  [id](const Running& process) { return process.entry.id == id; });
  return found == table_.end() ? nullptr : &*found;
}

}  // namespace kelvo::sim
