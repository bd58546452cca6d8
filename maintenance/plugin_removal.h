// 卸载插件: removes the chosen release's whole scripts folder, after closing 3ds Max.
#pragma once

#include <cstdint>

#include "platform/system.h"
#include "platform/toolbox_view.h"
#include "procctl/status_monitor.h"

namespace kelvo {

inline constexpr char kPluginCloseQuestion[] =
    "清理插件需要首先关闭MAX，检查到MAX正在运行，是否关闭？";
inline constexpr char kPluginDoneText[] = "清理完成";
inline constexpr char kPluginIncompleteText[] =
    "部分插件文件未能删除（需要管理员权限或文件被占用）。";
inline constexpr char kPluginIncompleteTitle[] = "警告";
inline constexpr char kPluginCannotCloseText[] = "无法关闭MAX进程，请手动关闭后重试。";
inline constexpr char kPluginCannotCloseTitle[] = "错误";
// Longer than the status monitor's period, so that every pause sees at least one status tick.
inline constexpr std::int64_t kPluginClosePauseMs = 1200;
// About 12 seconds of trying before giving up on a 3ds Max that will not end.
inline constexpr int kPluginClosePasses = 10;

// `status` is the status monitor's published state, read afresh after every pause: each pass
// ends the 3ds Max it names and waits for the next tick to name the next one (or none). A 3ds Max
// that is still there after the last pass keeps everything as it is. "清理完成" only when the
// scripts folder is gone or holds nothing but read-only files.
void PluginRemoval(System& system, ToolboxView& view, const StatusValues& status);

}  // namespace kelvo
