// 跟随MAX启动: a copy of the program in a fixed folder and a one-line startup script in every
// release's startup folder, so that 3ds Max starts the toolbox. An empty marker file beside the
// copy records the setting between runs.
#pragma once

#include "platform/system.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kLaunchFolder[] = "C:\\Program Files (x86)\\Kelvo";
// Always this name, whatever the running file is called: the scripts start this file.
inline constexpr char kLaunchCopy[] = "C:\\Program Files (x86)\\Kelvo\\KelvoMAX工具.exe";
inline constexpr char kLaunchMarker[] = "C:\\Program Files (x86)\\Kelvo\\Setup.ini";
// One line in the 3ds Max scripting language, no line end.
inline constexpr char kLaunchScript[] =
    "shellLaunch \"C:\\Program Files (x86)\\Kelvo\\KelvoMAX工具.exe\" \"AutoStartUp\"";

inline constexpr char kLaunchEnableFailedText[] = "设置跟随MAX启动失败，请以管理员身份运行本程序。";
inline constexpr char kLaunchDisableFailedText[] =
    "取消跟随MAX启动失败，请以管理员身份运行本程序。";
inline constexpr char kLaunchFailedTitle[] = "错误";

// The click handler of 选择框1: sets up or removes the launch by the box's new state. Silent when
// it works; otherwise the user is told and the box shows again what the marker on disk says.
void LaunchWithMaxClicked(System& system, ToolboxView& view);
// The two branches; true when every change went through. A release that is not installed (its
// startup folder is missing) is no failure.
bool EnableLaunchWithMax(System& system);
bool DisableLaunchWithMax(System& system);
// True when the marker exists as a file.
bool LaunchMarkerPresent(System& system);

}  // namespace kelvo
