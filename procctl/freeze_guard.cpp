#include "procctl/freeze_guard.h"

#include <vector>

#include "model/desktop_user.h"
#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"
#include "procctl/low_priority_toggle.h"
#include "procctl/process_toolkit.h"

namespace kelvo {
namespace {

constexpr int kRestrainAt = 100;
constexpr int kFreeAtOrBelow = 50;
// Restrained 3ds Max keeps off processors 0 and 1, where the desktop and the toolbox run.
constexpr int kProcessorsKeptFree = 2;

void SetShellPriority(System& system, int kind) {
  const ProcessId shell = FindProcessId(system, kDesktopShellName);
  if (shell != 0) SetProcessPriority(system, shell, /*use_id=*/true, kind);
}

bool GuardIsOn(ToolboxView& view) {
  return view.TimerPeriod(Timer::时钟2) != 0;
}

void TurnOn(System& system, FreezeGuard& guard, ToolboxView& view) {
  SetShellPriority(system, kPriorityHigh);
  std::vector<ProcessId> ids;
  FindAllProcessIds(system, kMaxProcessName, ids);
  for (const ProcessId id : ids)
    SetProcessPriority(system, id, /*use_id=*/true, kPriorityIdle);
  view.SetCaption(Control::按钮8, kRestorePriorityCaption);
  view.SetEnabled(Control::按钮8, false);
  view.SetTimerPeriod(Timer::时钟2, kGuardTickMs);
  // A watch that still runs from an earlier turning-on goes on; its decisions are current.
  if (!guard.watch.running)
    guard.watch = {
        .running = true, .holding = false, .suppress_requested = guard.watch.suppress_requested};
}

void TurnOff(System& system, ToolboxView& view, const StatusValues& status) {
  view.SetTimerPeriod(Timer::时钟2, 0);
  SetShellPriority(system, kPriorityNormal);
  std::vector<ProcessId> ids;
  FindAllProcessIds(system, kMaxProcessName, ids);
  if (status.max_process_id <= 0) {
    PlainMessageBox(system, kGuardNoMaxText, kBoxOk, kGuardNoticeTitle);
    view.SetChecked(Control::选择框2, false);
  }
  const int processors = static_cast<int>(ProcessorCount(system));
  for (const ProcessId id : ids) {
    SetProcessPriority(system, id, /*use_id=*/true, kPriorityNormal);
    SetAffinityToTopProcessors(system, id, processors);
  }
  view.SetCaption(Control::按钮8, kLowPriorityCaption);
  view.SetEnabled(Control::按钮8, true);
  view.SetCaption(Control::透明标签2, "");
}

// No 3ds Max is left: the guard stops as if cleared, the label keeps its last word.
void SwitchItselfOff(System& system, ToolboxView& view) {
  view.SetChecked(Control::选择框2, false);
  view.SetEnabled(Control::按钮8, true);
  view.SetCaption(Control::按钮8, kLowPriorityCaption);
  view.SetTimerPeriod(Timer::时钟2, 0);
  SetShellPriority(system, kPriorityNormal);
}

// Restrains or frees every process of the list, pausing after each; the label says what the
// tick did so far. Stops when the guard is turned off inside a pause.
void ApplyDecision(System& system, ToolboxView& view, const std::vector<ProcessId>& ids,
                   bool restrain) {
  const int processors = static_cast<int>(ProcessorCount(system));
  const int count = restrain ? processors - kProcessorsKeptFree : processors;
  bool restrained_any = false;
  for (const ProcessId id : ids) {
    const bool accepted = SetAffinityToTopProcessors(system, id, count);
    restrained_any = restrained_any || (restrain && accepted);
    system.pump.PauseDispatching(kGuardProcessPauseMs);
    if (!GuardIsOn(view)) return;
    // "已压制" only when some 3ds Max really is off the kept processors.
    if (restrained_any) {
      view.SetTextColour(Control::透明标签2, kColourGrey);
      view.SetCaption(Control::透明标签2, kRestrainedCaption);
    } else {
      view.SetTextColour(Control::透明标签2, kColourBlack);
      view.SetCaption(Control::透明标签2, kUnrestrainedCaption);
    }
  }
}

}  // namespace

bool WatchStep(CpuWatch& watch, int cpu_usage) {
  if (!watch.running) return true;
  if (watch.holding) {
    watch.holding = false;
    return true;
  }
  if (cpu_usage <= kFreeAtOrBelow) {
    watch.suppress_requested = 0;
  } else if (cpu_usage >= kRestrainAt) {
    watch.suppress_requested = 1;
    watch.holding = true;
  }
  if (cpu_usage >= 0) return true;
  watch.running = false;
  return false;
}

void GuardSwitch(System& system, FreezeGuard& guard, ToolboxView& view,
                 const StatusValues& status) {
  if (!view.IsChecked(Control::选择框2)) {
    TurnOff(system, view, status);
    return;
  }
  if (status.max_process_id <= 0) {
    PlainMessageBox(system, kGuardNoMaxText, kBoxOk, kGuardNoticeTitle);
    view.SetChecked(Control::选择框2, false);
    return;
  }
  TurnOn(system, guard, view);
}

void GuardTick(System& system, FreezeGuard& guard, ToolboxView& view, const StatusValues& status) {
  // A tick that arrives inside this tick's pauses is dropped: this one is still applying.
  if (guard.ticking || !GuardIsOn(view)) return;
  guard.ticking = true;
  std::vector<ProcessId> ids;
  FindAllProcessIds(system, kMaxProcessName, ids);
  if (status.max_process_id == 0) {
    SwitchItselfOff(system, view);
    guard.ticking = false;
    return;
  }
  const bool watch_ended = !WatchStep(guard.watch, status.cpu_usage);
  if (status.cpu_usage < 0) {
    view.SetTextColour(Control::透明标签2, kColourRed);
    view.SetCaption(Control::透明标签2, kGuardErrorCaption);
  }
  ApplyDecision(system, view, ids, guard.watch.suppress_requested == 1);
  guard.ticking = false;
  // Shown after the tick's work, so the guard goes on ticking while the box is up.
  if (watch_ended) PlainMessageBox(system, kWatchEndedText, kBoxOk, kGuardNoticeTitle);
}

}  // namespace kelvo
