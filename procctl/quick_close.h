// 快速关闭: ends every running 3ds Max without asking.
#pragma once

#include <cstdint>

#include "platform/system.h"

namespace kelvo {

inline constexpr char kNoMaxText[] = "未找到进程！";
inline constexpr char kQuickCloseNoMaxTitle[] = "错误";
inline constexpr char kQuickCloseDoneText[] = "所有MAX窗口已关闭。";
// Between two terminations, with messages dispatched meanwhile.
inline constexpr std::int64_t kQuickClosePauseMs = 100;

// `max_process_id` is the 3ds Max the status monitor last saw; below 1 means none runs. Ends
// every process named "3dsmax.exe" (letters without case) in snapshot order, pausing 100 ms after
// each, then says so; a process that cannot be ended is passed over.
void QuickClose(System& system, ProcessId max_process_id);

}  // namespace kelvo
