#include "app/toolbox.h"

#include "app/toolbox_layout.h"
#include "maintenance/default_open.h"
#include "maintenance/ime_rescue.h"
#include "maintenance/launch_with_max.h"
#include "maintenance/plugin_removal.h"
#include "maintenance/reset_user_settings.h"
#include "maintenance/startup_disinfection.h"
#include "maintenance/uninstall_cleanup.h"
#include "model/desktop_user.h"
#include "procctl/freeze_guard.h"
#include "procctl/low_priority_toggle.h"
#include "procctl/process_toolkit.h"
#include "procctl/quick_close.h"
#include "procctl/status_monitor.h"
#include "procctl/strong_wake.h"
#include "procctl/window_toolkit.h"

namespace kelvo {

void OnToolboxCreated(System& system, Toolbox& toolbox, ToolboxView& view) {
  toolbox.desktop_shell_id = FindProcessId(system, kDesktopShellName);
  toolbox.desktop_user_name = ResolveDesktopUserName(system, toolbox.desktop_shell_id);
  // Mirrors the setting on disk; ticking the box here does not run its click handler.
  if (LaunchMarkerPresent(system)) view.SetChecked(Control::选择框1, true);
  // The program keeps the high priority class for its whole life; a refusal changes nothing else.
  SetProcessPriority(system, 0, /*use_id=*/false, kPriorityHigh);
  view.SetCaption(Control::透明标签3, HelpHint());
  // The first status tick measures from here, so no tick waits for a second sample.
  TakeCpuBaseline(system, toolbox.status.cpu);
}

void OnControlClicked(System& system, Toolbox& toolbox, ToolboxView& view, Control control) {
  switch (control) {
    case Control::按钮1:
      StrongWake(system, toolbox.status.values.max_main_window);
      break;
    case Control::按钮2:
      SetDefaultOpen(system, view);
      break;
    case Control::按钮3:
      QuickClose(system, toolbox.status.values.max_process_id);
      break;
    case Control::按钮8:
      LowPriorityToggle(system, view, toolbox.status.values.max_process_id);
      break;
    case Control::按钮4:
      ResetUserSettings(system, view, toolbox.desktop_user_name);
      break;
    case Control::按钮5:
      UninstallCleanup(system, view, toolbox.desktop_user_name);
      break;
    case Control::按钮9:
      ImeHangRescue(system, toolbox.status.values);
      break;
    case Control::按钮6:
      StartupDisinfection(system, view, toolbox.status.values.max_process_id,
                          toolbox.desktop_user_name);
      break;
    case Control::按钮7:
      PluginRemoval(system, view, toolbox.status.values);
      break;
    case Control::选择框1:
      LaunchWithMaxClicked(system, view);
      break;
    case Control::选择框2:
      GuardSwitch(system, toolbox.freeze_guard, view, toolbox.status.values);
      break;
    default:
      // The other operations join here as they are built.
      break;
  }
}

void OnTimerTick(System& system, Toolbox& toolbox, ToolboxView& view, Timer timer) {
  switch (timer) {
    case Timer::时钟1:
      StatusTick(system, toolbox.status, view);
      break;
    case Timer::时钟2:
      GuardTick(system, toolbox.freeze_guard, view, toolbox.status.values);
      break;
  }
}

void OnMouseOverHintLabel(ToolboxView& view) {
  if (view.TextColour(Control::透明标签3) != kColourRed) {
    view.SetTextColour(Control::透明标签3, kColourRed);
  }
}

void OnMouseOverFreeArea(ToolboxView& view) {
  if (view.TextColour(Control::透明标签3) != kColourBlack) {
    view.SetTextColour(Control::透明标签3, kColourBlack);
  }
}

void ShowHelpText(System& system) {
  TimedMessageBox(system, HelpText(), {.style = kHelpBoxStyle, .timeout_ms = kHelpBoxTimeoutMs});
}

}  // namespace kelvo
