// Whose profile the per-user paths point into: the account that owns the desktop shell.
#pragma once

#include <string>

#include "platform/system.h"

namespace kelvo {

inline constexpr char kDesktopShellName[] = "explorer.exe";

// The account name (without domain) of the process's owner; the empty text when it cannot be
// found. The owner comes from the terminal-session service, or from the process's token where
// that service is missing or fails. Id 0 (no shell runs) gives the empty text.
std::string ResolveDesktopUserName(System& system, ProcessId shell);

// "C:\Users\" + name + suffix, joined as they are.
std::string UserPath(const std::string& desktop_user, const std::string& suffix);

}  // namespace kelvo
