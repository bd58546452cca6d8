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

// What the user is told when no 3ds Max runs, and when every one was ended.
struct CloseMessages {
  const char* no_max_text;
  const char* no_max_title;
  const char* done_text;
};

// `max_process_id` is the 3ds Max the status monitor last saw; below 1 means none runs: then
// the user is told so and nothing is ended. Otherwise ends every process named "3dsmax.exe"
// (letters without case) in snapshot order, pausing 100 ms after each, and says it is done; a
// process that cannot be ended is passed over.
void CloseEveryMax(System& system, ProcessId max_process_id, const CloseMessages& messages);

// `max_process_id` is the 3ds Max the status monitor last saw; below 1 means none runs. Ends
// every process named "3dsmax.exe" (letters without case) in snapshot order, pausing 100 ms after
// each, then says so; a process that cannot be ended is passed over.
void QuickClose(System& system, ProcessId max_process_id);

}  // namespace kelvo
