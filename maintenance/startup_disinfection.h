// MAX杀毒: closes every 3ds Max, empties the chosen release's three startup-script folders and
// puts a read-only guard file into each, so that a script virus cannot create files of those
// names again.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kDisinfectionQuestion[] =
    "注意！此功能为暴力杀毒，将直接关闭正在运行的MAX，清除所有MAX自启动脚本并且生成只读文件以防止"
    "病毒创建，,是否继续？";
inline constexpr char kAllMaxClosedText[] = "所有MAX已关闭";
inline constexpr char kNoProcessText[] = "未找到进程";
inline constexpr char kNoProcessTitle[] = "错误";
inline constexpr char kDisinfectionDoneText[] = "操作完成";
inline constexpr char kDisinfectionIncompleteText[] =
    "杀毒未完成，以下文件夹未能清理或写入保护文件（需要管理员权限或文件被占用）：";
inline constexpr char kDisinfectionIncompleteTitle[] = "警告";
// What every guard file holds: three bytes, no line end.
inline constexpr char kGuardContent[] = "000";

// `status` is read once, for the process the status monitor last published. The folders are
// cleaned whether or not 3ds Max was found; a folder whose parent is missing (the release or the
// language was never used) is passed over. "操作完成" only when every other folder was emptied
// (read-only files stay) and holds its read-only guard file with "000"; otherwise the folders
// that failed are named. Without a known desktop user the two per-user folders are skipped and
// the user is told so.
void StartupDisinfection(System& system, ToolboxView& view, ProcessId max_process_id,
                         const std::string& desktop_user);

}  // namespace kelvo
