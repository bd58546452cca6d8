// Accounts that own processes: the system's process list, the terminal-session service and
// process tokens.
#pragma once

#include "platform/accounts.h"

namespace kelvo {

class Win32Accounts final : public Accounts {
 public:
  // NtQuerySystemInformation(SystemProcessInformation) from the ntdll every process has loaded.
  std::optional<std::uint64_t> ProcessCreationTime(ProcessId id) override;
  // WinStationGetProcessSid from winsta.dll, loaded from the system folder for this call only.
  std::optional<Sid> SessionProcessOwner(ProcessId id, std::uint64_t creation_time) override;
  // TokenUser of the process's token.
  std::optional<Sid> TokenProcessOwner(ProcessId id) override;
  // LookupAccountSidW; the domain is dropped.
  std::optional<std::string> AccountName(const Sid& sid) override;
};

}  // namespace kelvo
