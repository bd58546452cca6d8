#include "maintenance/plugin_removal.h"

#include <optional>

#include "maintenance/file_operations.h"
#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"
#include "procctl/process_toolkit.h"

namespace kelvo {
namespace {

// True once the status monitor no longer sees any 3ds Max.
bool CloseEveryMax(System& system, const StatusValues& status) {
  for (int pass = 0; pass < kPluginClosePasses && status.max_process_id != 0; ++pass) {
    TerminateProcessById(system, status.max_process_id);
    system.pump.PauseDispatching(kPluginClosePauseMs);
  }
  return status.max_process_id == 0;
}

}  // namespace

void PluginRemoval(System& system, ToolboxView& view, const StatusValues& status) {
  if (status.max_process_id != 0) {
    if (PlainMessageBox(system, kPluginCloseQuestion, kBoxYesNo) != kAnswerYes) return;
    if (!CloseEveryMax(system, status)) {
      PlainMessageBox(system, kPluginCannotCloseText, kBoxIconError, kPluginCannotCloseTitle);
      return;
    }
  }
  const std::optional<MaxVersion> release = ChosenRelease(view);
  if (!release) return;
  const DeletionReport report = DeleteDirectoryTree(system, InstallScriptsDir(*release));
  // Read-only files (the disinfection's guard among them) stay on purpose.
  if (!report.refused && report.failed.empty()) {
    PlainMessageBox(system, kPluginDoneText);
  } else {
    PlainMessageBox(system, kPluginIncompleteText, kBoxIconExclamation, kPluginIncompleteTitle);
  }
}

}  // namespace kelvo
