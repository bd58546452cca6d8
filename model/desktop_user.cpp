#include "model/desktop_user.h"

#include "model/version_catalogue.h"

namespace kelvo {

std::string ResolveDesktopUserName(System& system, ProcessId shell) {
  // Id 0 means no shell runs; the idle process that Windows lists under it belongs to no user.
  if (shell == 0) return {};
  Accounts& accounts = system.accounts;
  const std::optional<std::uint64_t> created = accounts.ProcessCreationTime(shell);
  if (!created) return {};
  // The creation time lets the session service tell this process from a later one under the same
  // id; the token is the fallback where that service is missing or refuses.
  std::optional<Sid> owner = accounts.SessionProcessOwner(shell, *created);
  if (!owner) owner = accounts.TokenProcessOwner(shell);
  if (!owner) return {};
  return accounts.AccountName(*owner).value_or(std::string{});
}

std::string UserPath(const std::string& desktop_user, const std::string& suffix) {
  return kUsersRoot + desktop_user + suffix;
}

}  // namespace kelvo
