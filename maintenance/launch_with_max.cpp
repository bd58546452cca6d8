#include "maintenance/launch_with_max.h"

#include <algorithm>
#include <string>

#include "maintenance/file_operations.h"
#include "maintenance/path_text.h"
#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"

namespace kelvo {
namespace {

// A change to something that is not there (a release never installed) is no failure.
bool ChangedOrAbsent(OsResult result) {
  return result.ok() || IsNotFound(result.error);
}

}  // namespace

bool EnableLaunchWithMax(System& system) {
  bool complete = true;
  const OsResult made = CreateOneDirectory(system, kLaunchFolder);
  if (!made.ok()) {
    const std::optional<std::uint32_t> there = system.files.Attributes(kLaunchFolder);
    complete = there && (*there & kAttributeDirectory);
  }
  // Running from the launch folder already: the copy is in place.
  const std::string own = system.processes.OwnExecutablePath();
  if (!SameWindowsPath(own, kLaunchCopy)) complete &= CopyOneFile(system, own, kLaunchCopy).ok();
  complete &= WriteWholeFile(system, kLaunchMarker, "").ok();
  for (MaxVersion release : AllReleases()) {
    complete &= ChangedOrAbsent(WriteWholeFile(system, LaunchScriptFile(release), kLaunchScript));
  }
  return complete;
}

bool DisableLaunchWithMax(System& system) {
  const DeletionReport folder = DeleteDirectoryTree(system, kLaunchFolder);
  // The copy that runs cannot be deleted and keeps the folder; with the scripts and the marker
  // gone it is never started again, so that is no failure.
  const std::string own = system.processes.OwnExecutablePath();
  bool complete = !folder.refused && folder.kept_read_only.empty() &&
                  std::all_of(folder.failed.begin(), folder.failed.end(),
                              [&](const FileFailure& f) { return SameWindowsPath(f.path, own); });
  for (MaxVersion release : AllReleases()) {
    complete &= ChangedOrAbsent(DeleteOneFile(system, LaunchScriptFile(release)));
  }
  // On its own as well: when the folder stayed, the marker must still go, so that the box comes
  // up unticked at the next start.
  complete &= ChangedOrAbsent(DeleteOneFile(system, kLaunchMarker));
  return complete;
}

bool LaunchMarkerPresent(System& system) {
  const std::optional<std::uint32_t> attributes = system.files.Attributes(kLaunchMarker);
  return attributes && (*attributes & kAttributeDirectory) == 0;
}

void LaunchWithMaxClicked(System& system, ToolboxView& view) {
  const bool enable = view.IsChecked(Control::选择框1);
  if (enable ? EnableLaunchWithMax(system) : DisableLaunchWithMax(system)) return;
  PlainMessageBox(system, enable ? kLaunchEnableFailedText : kLaunchDisableFailedText,
                  kBoxIconError, kLaunchFailedTitle);
  view.SetChecked(Control::选择框1, LaunchMarkerPresent(system));
}

}  // namespace kelvo
