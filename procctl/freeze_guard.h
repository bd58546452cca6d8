// 防止渲图死机: while 3ds Max renders, keeps it at idle priority and the desktop shell at high
// priority, and at full processor load keeps 3ds Max off the two lowest-numbered processors.
#pragma once

#include <cstdint>

#include "platform/system.h"
#include "platform/toolbox_view.h"
#include "procctl/status_monitor.h"

namespace kelvo {

inline constexpr char kGuardNoMaxText[] = "未找到MAX进程，请开启MAX再开启此功能。";
inline constexpr char kGuardNoticeTitle[] = "通知";
inline constexpr char kWatchEndedText[] = "未找到进程。";
inline constexpr char kRestrainedCaption[] = "已压制";
inline constexpr char kUnrestrainedCaption[] = "未压制";
inline constexpr char kGuardErrorCaption[] = "ERROR";
inline constexpr std::uint32_t kColourGrey = 0x808080;
inline constexpr std::uint32_t kGuardTickMs = 1000;
// After each process a guard tick restrains or frees, with messages dispatched meanwhile.
inline constexpr std::int64_t kGuardProcessPauseMs = 100;

// The watch of the processor load: one decision a second while it runs. Full load asks for
// restraint and holds that decision for one extra second; 50 % or less asks for freedom; in
// between nothing changes. An unmeasurable load (negative) asks for freedom and ends the watch.
struct CpuWatch {
  bool running = false;
  bool holding = false;        // the second after a full-load reading makes no decision
  int suppress_requested = 0;  // 1: restrain 3ds Max; 0: give it every processor
};

// One second of the watch with the current reading. Answers false when the watch has just
// ended.
bool WatchStep(CpuWatch& watch, int cpu_usage);

struct FreezeGuard {
  CpuWatch watch{};
  bool ticking = false;  // a guard tick is running further up the stack
};

// Click of 选择框2, whose check mark has already changed. Ticked: every 3ds Max goes to idle
// priority (按钮8 reads "恢复默认" and is disabled), the desktop shell to high priority, and the
// guard's ticks and watch start (one watch at a time). Cleared: the ticks stop, every 3ds Max gets
// normal priority and all processors back, the shell normal priority, 按钮8 "低优先级" and
// enabled, the label empty. With no 3ds Max running the user is told, the box is cleared and
// nothing is started.
void GuardSwitch(System& system, FreezeGuard& guard, ToolboxView& view, const StatusValues& status);
// Tick of 时钟2: the watch's decision, then every 3ds Max restrained or freed as decided, and the
// label saying what was done. Once no 3ds Max is left the guard turns itself off and the shell
// gets normal priority again.
void GuardTick(System& system, FreezeGuard& guard, ToolboxView& view, const StatusValues& status);

}  // namespace kelvo
