#include "procctl/low_priority_toggle.h"

#include <vector>

#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"
#include "procctl/process_toolkit.h"
#include "procctl/quick_close.h"
#include "procctl/window_toolkit.h"

namespace kelvo {

void LowPriorityToggle(System& system, ToolboxView& view, ProcessId max_process_id) {
  std::vector<ProcessId> ids;
  FindAllProcessIds(system, kMaxProcessName, ids);
  if (max_process_id < 1) {
    PlainMessageBox(system, kNoMaxText, kBoxOk, kLowPriorityNoMaxTitle);
    return;
  }
  const bool lowering = view.Caption(Control::按钮8) == kLowPriorityCaption;
  const int kind = lowering ? kPriorityIdle : kPriorityNormal;
  const char* text = lowering ? kPriorityLoweredText : kPriorityRestoredText;
  const char* caption = lowering ? kRestorePriorityCaption : kLowPriorityCaption;
  for (const ProcessId id : ids) {
    SetProcessPriority(system, id, /*use_id=*/true, kind);
    TimedMessageBox(system, text);
    view.SetCaption(Control::按钮8, caption);
    view.SetDefaultButton(Control::按钮8, lowering);
  }
}

}  // namespace kelvo
