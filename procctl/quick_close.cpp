#include "procctl/quick_close.h"

#include <vector>

#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"
#include "procctl/process_toolkit.h"

namespace kelvo {

void QuickClose(System& system, ProcessId max_process_id) {
  std::vector<ProcessId> ids;
  FindAllProcessIds(system, kMaxProcessName, ids);
  if (max_process_id < 1) {
    PlainMessageBox(system, kNoMaxText, kBoxOk, kQuickCloseNoMaxTitle);
    return;
  }
  for (const ProcessId id : ids) {
    TerminateProcessById(system, id);
    system.pump.PauseDispatching(kQuickClosePauseMs);
  }
  PlainMessageBox(system, kQuickCloseDoneText);
}

}  // namespace kelvo
