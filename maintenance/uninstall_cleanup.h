// 卸载清理: removes what a broken uninstall of the chosen release left behind: its program
// folder, its per-user folder, the settings keys of 3ds Max and the release's Windows Installer
// product registrations.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kCleanupQuestion[] =
    "请确认当前已处于非正常卸载状态,将执行清理注册表及删除MAX残留操作。";
inline constexpr char kCleanupDoneText[] = "MAX残留清理完毕！";
inline constexpr char kCleanupDoneTitle[] = "通知";
// Followed by one line per folder or key that is still there.
inline constexpr char kCleanupIncompleteText[] =
    "MAX残留清理未完成，以下项目未能删除（需要管理员权限或正被占用）：";
inline constexpr char kCleanupIncompleteTitle[] = "警告";
inline constexpr char kRegistryRootRefusedText[] = "禁止删除注册表主项";
inline constexpr char kRegistryRootRefusedTitle[] = "警告";
// Between the steps, without dispatching: no timer of the window runs during the cleanup.
inline constexpr std::uint32_t kCleanupStepSleepMs = 50;

// Deletes the key with everything below it, always in the 64-bit view, so the 32-bit view's
// WOW6432Node twin stays (on 32-bit Windows there is only one view). An empty key, " " or "\"
// would name the root itself: refused with a warning box, nothing touched. One trailing
// backslash is dropped.
OsResult DeleteRegistryTree(System& system, RegistryRoot root, const std::string& key);

// Asks first; goes on only after Yes. Without a chosen release it deletes nothing and reports
// done. Things that are not there are no failure; whatever could not be removed is listed.
void UninstallCleanup(System& system, ToolboxView& view, const std::string& desktop_user);

}  // namespace kelvo
