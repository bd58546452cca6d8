#include "procctl/quick_close.h"

#include <vector>

#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"
#include "procctl/process_toolkit.h"

namespace kelvo {

void CloseEveryMax(System& system, ProcessId max_process_id, const CloseMessages& messages) {
  std::vector<ProcessId> ids;
  FindAllProcessIds(system, kMaxProcessName, ids);
  if (max_process_id < 1) {
    PlainMessageBox(system, messages.no_max_text, kBoxOk, messages.no_max_title);
    return;
  }
  for (const ProcessId id : ids) {
    TerminateProcessById(system, id);
    system.pump.PauseDispatching(kQuickClosePauseMs);
  }
  PlainMessageBox(system, messages.done_text);
}

void QuickClose(System& system, ProcessId max_process_id) {
  CloseEveryMax(system, max_process_id, {kNoMaxText, kQuickCloseNoMaxTitle, kQuickCloseDoneText});
}

}  // namespace kelvo
