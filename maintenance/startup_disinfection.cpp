#include "maintenance/startup_disinfection.h"

#include <optional>
#include <vector>

#include "maintenance/file_operations.h"
#include "maintenance/path_text.h"
#include "maintenance/user_folder.h"
#include "model/desktop_user.h"
#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"
#include "procctl/quick_close.h"

namespace kelvo {
namespace {

constexpr char kLineBreak[] = "\r\n";

// One startup folder and its guard file, and how its cleaning went.
struct StartupFolder {
  std::string folder;  // as the catalogue gives it (the per-user ones end in a backslash)
  std::string guard_file;
  bool parent_missing = false;
  DeletionReport deletion{};
};

StartupFolder Prepare(System& system, std::string folder, std::string guard_file) {
  StartupFolder startup{std::move(folder), std::move(guard_file)};
  startup.parent_missing =
      !system.files.Attributes(std::string(ParentFolder(startup.folder))).has_value();
  return startup;
}

void Empty(System& system, StartupFolder& startup) {
  if (!startup.parent_missing) startup.deletion = DeleteDirectoryTree(system, startup.folder);
}

void Recreate(System& system, const StartupFolder& startup) {
  // A folder kept by a read-only file is still there: the creation fails and changes nothing.
  if (!startup.parent_missing) static_cast<void>(CreateOneDirectory(system, startup.folder));
}

void Guard(System& system, const StartupFolder& startup) {
  if (startup.parent_missing) return;
  // A guard file from an earlier run is read-only: the write is refused, and the attribute is
  // set again on what is there. What counts is the end state, which Protected reads back.
  static_cast<void>(WriteWholeFile(system, startup.guard_file, kGuardContent));
  static_cast<void>(SetReadOnly(system, startup.guard_file));
}

// The folder was emptied (read-only files aside) and its guard stands: read-only, "000".
bool Protected(System& system, const StartupFolder& startup) {
  if (startup.parent_missing) return true;
  if (startup.deletion.refused || !startup.deletion.failed.empty()) return false;
  const std::optional<std::uint32_t> attributes = system.files.Attributes(startup.guard_file);
  if (!attributes || (*attributes & kAttributeReadOnly) == 0 ||
      (*attributes & kAttributeDirectory) != 0) {
    return false;
  }
  std::string content;
  return system.files.ReadBytes(startup.guard_file, content).ok() && content == kGuardContent;
}

}  // namespace

void StartupDisinfection(System& system, ToolboxView& view, ProcessId max_process_id,
                         const std::string& desktop_user) {
  if (PlainMessageBox(system, kDisinfectionQuestion, kBoxYesNo) != kAnswerYes) return;
  CloseEveryMax(system, max_process_id, {kNoProcessText, kNoProcessTitle, kAllMaxClosedText});

  const std::optional<MaxVersion> release = ChosenRelease(view);
  if (!release) return;
  // Both per-user folders go before either is made again; the installation's comes last.
  std::vector<StartupFolder> user_folders;
  if (!desktop_user.empty()) {
    for (const UserLanguage language : {UserLanguage::CHS, UserLanguage::ENU}) {
      user_folders.push_back(
          Prepare(system, UserPath(desktop_user, UserStartupDirSuffix(*release, language)),
                  UserPath(desktop_user, UserGuardFileSuffix(*release, language))));
    }
  }
  for (StartupFolder& folder : user_folders)
    Empty(system, folder);
  for (const StartupFolder& folder : user_folders)
    Recreate(system, folder);
  for (const StartupFolder& folder : user_folders)
    Guard(system, folder);
  StartupFolder install = Prepare(system, InstallStartupDir(*release), InstallGuardFile(*release));
  Empty(system, install);
  Recreate(system, install);
  Guard(system, install);

  if (desktop_user.empty()) {
    PlainMessageBox(system, kUnknownDesktopUserText, kBoxIconExclamation, kUnknownDesktopUserTitle);
  }
  user_folders.push_back(std::move(install));
  std::string failed;
  for (const StartupFolder& folder : user_folders) {
    if (!Protected(system, folder)) {
      failed += kLineBreak;
      failed += WithoutTrailingSeparators(folder.folder);
    }
  }
  if (failed.empty()) {
    PlainMessageBox(system, kDisinfectionDoneText);
  } else {
    PlainMessageBox(system, kDisinfectionIncompleteText + failed, kBoxIconExclamation,
                    kDisinfectionIncompleteTitle);
  }
}

}  // namespace kelvo
