// 低优先级: drops every running 3ds Max to idle priority, and on the next click back to normal.
// The caption of 按钮8 is the toggle's state.
#pragma once

#include "platform/system.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kLowPriorityCaption[] = "低优先级";
inline constexpr char kRestorePriorityCaption[] = "恢复默认";
inline constexpr char kLowPriorityNoMaxTitle[] = "通知";
inline constexpr char kPriorityLoweredText[] = "MAX进程优先级已调至最低。";
inline constexpr char kPriorityRestoredText[] = "MAX进程优先级已恢复默认。";

// `max_process_id` is the 3ds Max the status monitor last saw; below 1 means none runs. With the
// caption "低优先级" every "3dsmax.exe" goes to the idle class, otherwise to the normal class;
// each process gets its own notice, and the caption and button kind flip with it. With no
// process in the fresh list nothing changes and nothing is shown.
void LowPriorityToggle(System& system, ToolboxView& view, ProcessId max_process_id);

}  // namespace kelvo
