// A release's folder in the desktop user's profile, and what the user is told when nobody can be
// named as the desktop user: the per-user steps are skipped rather than aimed at a made-up path.
#pragma once

#include <optional>
#include <string>

#include "model/version_catalogue.h"

namespace kelvo {

inline constexpr char kUnknownDesktopUserText[] = "未能确定当前桌面用户，已跳过用户配置目录。";
inline constexpr char kUnknownDesktopUserTitle[] = "警告";

// C:\Users\<user>\AppData\Local\Autodesk\3dsMax\<year> - 64bit; none when the user is unknown
// (an empty name).
std::optional<std::string> ReleaseUserFolder(const std::string& desktop_user, MaxVersion release);

}  // namespace kelvo
