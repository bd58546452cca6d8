#include "tests/support/sim/sim_accounts.h"

namespace kelvo::sim {
namespace {

// 2026-01-01 00:00 UTC as a FILETIME.
constexpr std::uint64_t kBootTime = 0x01DC'7AB1'9281'0000;

std::string Key(const Sid& sid) {
  return std::string(sid.begin(), sid.end());
}

}  // namespace

Sid LocalAccountSid(std::uint32_t rid) {
  Sid sid = {1, 5, 0, 0, 0, 0, 0, 5};  // revision, sub-authority count, NT authority
  for (const std::uint32_t part : {21u, 1u, 2u, 3u, rid}) {
    for (int shift = 0; shift < 32; shift += 8)
      sid.push_back(static_cast<std::uint8_t>(part >> shift));
  }
  return sid;
}

std::optional<std::uint64_t> SimAccounts::ProcessCreationTime(ProcessId id) {
  if (list_fails_ || !processes_.IsRunning(id)) return std::nullopt;
  const auto found = creation_times_.find(id);
  return found != creation_times_.end() ? found->second : DerivedCreationTime(id);
}

std::optional<Sid> SimAccounts::SessionProcessOwner(ProcessId id, std::uint64_t creation_time) {
  if (session_stopped_ || session_refused_.contains(id) || !processes_.IsRunning(id)) {
    return std::nullopt;
  }
  const auto found = creation_times_.find(id);
  const std::uint64_t created =
      found != creation_times_.end() ? found->second : DerivedCreationTime(id);
  if (creation_time != created) return std::nullopt;
  const auto owner = owners_.find(id);
  if (owner == owners_.end()) return std::nullopt;
  return owner->second;
}

std::optional<Sid> SimAccounts::TokenProcessOwner(ProcessId id) {
  if (token_refused_.contains(id) || !processes_.IsRunning(id)) return std::nullopt;
  const auto owner = owners_.find(id);
  if (owner == owners_.end()) return std::nullopt;
  return owner->second;
}

std::optional<std::string> SimAccounts::AccountName(const Sid& sid) {
  const auto found = names_.find(Key(sid));
  if (found == names_.end()) return std::nullopt;
  return found->second;
}

void SimAccounts::AddAccount(const Sid& sid, const std::string& name) {
  names_[Key(sid)] = name;
}

void SimAccounts::SetOwner(ProcessId id, const Sid& owner) {
  owners_[id] = owner;
}

void SimAccounts::SetCreationTime(ProcessId id, std::uint64_t creation_time) {
  creation_times_[id] = creation_time;
}

void SimAccounts::Forget(ProcessId id) {
  creation_times_.erase(id);
  owners_.erase(id);
  session_refused_.erase(id);
  token_refused_.erase(id);
}

std::uint64_t SimAccounts::DerivedCreationTime(ProcessId id) {
  return kBootTime + static_cast<std::uint64_t>(id) * 10'000'000;  // a second per id
}

}  // namespace kelvo::sim
