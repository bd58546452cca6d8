#include "maintenance/default_open.h"

#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"

namespace kelvo {

void SetDefaultOpen(System& system, ToolboxView& view) {
  const std::optional<MaxVersion> release = ChosenRelease(view);
  if (!release) return;
  const OsResult written = system.registry.SetDefaultValue(RegistryRoot::ClassesRoot,
                                                           kOpenCommandKey, OpenCommand(*release));
  if (written.ok()) {
    PlainMessageBox(system, kDefaultOpenDoneText, kBoxOk, kDefaultOpenDoneTitle);
  } else {
    PlainMessageBox(system, kDefaultOpenFailedText, kBoxIconError, kDefaultOpenFailedTitle);
  }
}

}  // namespace kelvo
