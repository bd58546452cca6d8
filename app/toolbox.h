// The toolbox's state that outlives a click, and the handlers the window calls. Portable: the
// Win32 window forwards its events here, and the unit tests call the same functions.
#pragma once

#include <string>

#include "platform/system.h"
#include "platform/toolbox_view.h"
#include "procctl/freeze_guard.h"
#include "procctl/status_monitor.h"

namespace kelvo {

inline constexpr std::uint32_t kHelpBoxStyle = kBoxIconInformation;
inline constexpr std::uint32_t kHelpBoxTimeoutMs = 720000;  // 12 minutes

// Process-wide state, created once by start-up and kept until the process ends.
struct Toolbox {
  ProcessId desktop_shell_id = 0;
  std::string desktop_user_name;
  // The status tick's published values (status.values) and what it keeps between ticks.
  StatusMonitor status;
  FreezeGuard freeze_guard;
};

// Creation steps, run once before the window is first shown.
void OnToolboxCreated(System& system, Toolbox& toolbox, ToolboxView& view);
// A click of one of the nine buttons or the two check boxes.
void OnControlClicked(System& system, Toolbox& toolbox, ToolboxView& view, Control control);
void OnTimerTick(System& system, Toolbox& toolbox, ToolboxView& view, Timer timer);
// The mouse over the hint label turns it red; over the window's free area, black again.
void OnMouseOverHintLabel(ToolboxView& view);
void OnMouseOverFreeArea(ToolboxView& view);
// The hint label's click and the tray menu's 帮助提示: waits until the box closes.
void ShowHelpText(System& system);

}  // namespace kelvo
