#include "maintenance/reset_user_settings.h"

#include "maintenance/file_operations.h"
#include "maintenance/user_folder.h"
#include "platform/plain_message_box.h"

namespace kelvo {

void ResetUserSettings(System& system, ToolboxView& view, const std::string& desktop_user) {
  const std::optional<MaxVersion> release = ChosenRelease(view);
  if (!release) return;
  const std::optional<std::string> folder = ReleaseUserFolder(desktop_user, *release);
  if (!folder) {
    PlainMessageBox(system, kUnknownDesktopUserText, kBoxIconExclamation, kUnknownDesktopUserTitle);
    return;
  }
  if (DeleteDirectoryTree(system, *folder).Complete()) {
    PlainMessageBox(system, kResetDoneText, kBoxOk, kResetDoneTitle);
  } else {
    PlainMessageBox(system, kResetIncompleteText, kBoxIconExclamation, kResetIncompleteTitle);
  }
}

}  // namespace kelvo
