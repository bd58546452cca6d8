// 默认打开: makes the chosen release the program that opens .max files from the shell.
#pragma once

#include "platform/system.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kDefaultOpenDoneText[] = "默认打开方式修改成功。";
inline constexpr char kDefaultOpenDoneTitle[] = "通知";
inline constexpr char kDefaultOpenFailedText[] = "默认打开方式修改失败，请以管理员身份运行本程序。";
inline constexpr char kDefaultOpenFailedTitle[] = "错误";

// Writes the chosen release's open command as the default value of HKCR\3dsmax\Shell\Open\Command
// and says whether the write went through. Without a chosen release nothing happens.
void SetDefaultOpen(System& system, ToolboxView& view);

}  // namespace kelvo
