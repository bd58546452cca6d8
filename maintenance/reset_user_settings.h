// 重置MAX: deletes the chosen release's per-user settings folder.
#pragma once

#include <string>

#include "platform/system.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kResetDoneText[] = "3DMAX重置完成！";
inline constexpr char kResetDoneTitle[] = "通知";
inline constexpr char kResetIncompleteText[] =
    "部分文件正在使用或为只读，未能全部删除，请关闭MAX后重试。";
inline constexpr char kResetIncompleteTitle[] = "警告";

// No question first and 3ds Max is not closed: files it holds open stay, and so do read-only
// files; either keeps the folder and the user is told so. Without a chosen release nothing
// happens; without a known desktop user nothing is deleted and the user is told why.
void ResetUserSettings(System& system, ToolboxView& view, const std::string& desktop_user);

}  // namespace kelvo
