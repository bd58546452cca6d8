// Who owns the simulated processes: the system's process list with creation times, the
// terminal-session service, process tokens and the account names Windows knows.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/accounts.h"
#include "tests/support/sim/sim_processes.h"

namespace kelvo::sim {

// A local account's SID, S-1-5-21-1-2-3-<rid>, in the bytes Windows stores.
Sid LocalAccountSid(std::uint32_t rid);

class SimAccounts : public Accounts {
 public:
  // The process list is the table of `processes`.
  explicit SimAccounts(SimProcesses& processes) : processes_(processes) {}

  // Accounts.
  // A running process's creation time: the one set, else one derived from its id.
  std::optional<std::uint64_t> ProcessCreationTime(ProcessId id) override;
  // The owner, when the service runs, the process runs and the time is its creation time (the
  // service tells a process from a later one under the same id by it).
  std::optional<Sid> SessionProcessOwner(ProcessId id, std::uint64_t creation_time) override;
  std::optional<Sid> TokenProcessOwner(ProcessId id) override;
  std::optional<std::string> AccountName(const Sid& sid) override;

  // Test side. The owner of a process as both the service and its token report it.
  void SetOwner(ProcessId id, const Sid& owner);
  void SetCreationTime(ProcessId id, std::uint64_t creation_time);
  // An account Windows can name.
  void AddAccount(const Sid& sid, const std::string& name);
  // The terminal-session service is missing or refuses every question (as under Wine).
  void StopSessionService(bool stopped) { session_stopped_ = stopped; }
  // Only this process's owner is refused by the service.
  void FailSessionOwner(ProcessId id) { session_refused_.insert(id); }
  // The process's token cannot be opened (the program's rights do not reach it).
  void FailTokenOwner(ProcessId id) { token_refused_.insert(id); }
  // The process list cannot be read until this is called with false.
  void FailProcessList(bool fail) { list_fails_ = fail; }
  // A process ended: what was set for it goes, so a later process under its id starts afresh.
  void Forget(ProcessId id);
  // The time a process gets when none was set.
  static std::uint64_t DerivedCreationTime(ProcessId id);

 private:
  SimProcesses& processes_;
  std::map<ProcessId, std::uint64_t> creation_times_;
  std::map<ProcessId, Sid> owners_;
  std::map<std::string, std::string> names_;  // keyed by the SID's bytes
  std::set<ProcessId> session_refused_;
  std::set<ProcessId> token_refused_;
  bool session_stopped_ = false;
  bool list_fails_ = false;
};

}  // namespace kelvo::sim
