#include "app/toolbox.h"

#include "app/toolbox_layout.h"
#include "procctl/window_toolkit.h"

namespace kelvo {

void OnToolboxCreated(System& /*system*/, Toolbox& /*toolbox*/, ToolboxView& view) {
  view.SetCaption(Control::透明标签3, HelpHint());
}

void OnControlClicked(System& /*system*/, Toolbox& /*toolbox*/, ToolboxView& /*view*/,
                      Control /*control*/) {
  // The operations behind the buttons and check boxes join here as they are built.
}

void OnTimerTick(System& /*system*/, Toolbox& /*toolbox*/, ToolboxView& /*view*/, Timer /*timer*/) {
  // 时钟1 drives the status monitor and 时钟2 the freeze guard, once they are built.
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
