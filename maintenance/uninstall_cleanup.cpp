#include "maintenance/uninstall_cleanup.h"

#include <vector>

#include "maintenance/file_operations.h"
#include "maintenance/path_text.h"
#include "maintenance/user_folder.h"
#include "model/version_catalogue.h"
#include "platform/plain_message_box.h"

namespace kelvo {
namespace {

constexpr char kLineBreak[] = "\r\n";

std::string RootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
  }
  return {};
}

// The things that are still there, named for the user.
class Leftovers {
 public:
  void Folder(const std::string& path, const DeletionReport& report) {
    if (!report.Complete()) names_.push_back(path);
  }
  void Key(RegistryRoot root, const std::string& key, OsResult result) {
    if (!result.ok() && result.error != kErrorFileNotFound) {
      names_.push_back(RootName(root) + "\\" + key);
    }
  }
  bool empty() const { return names_.empty(); }
  std::string Text() const {
    std::string text = kCleanupIncompleteText;
    for (const std::string& name : names_)
      text += kLineBreak + name;
    return text;
  }

 private:
  std::vector<std::string> names_;
};

bool IsRootItself(const std::string& key) {
  return key.empty() || key == " " || key == "\\";
}

}  // namespace

OsResult DeleteRegistryTree(System& system, RegistryRoot root, const std::string& key) {
  if (IsRootItself(key)) {
    PlainMessageBox(system, kRegistryRootRefusedText, kBoxIconExclamation,
                    kRegistryRootRefusedTitle);
    return OsResult::Failed(kErrorInvalidParameter);
  }
  const std::string target = EndsWithBackslash(key) ? key.substr(0, key.size() - 1) : key;
  return system.registry.DeleteTree(root, target, RegistryView::Bits64);
}

void UninstallCleanup(System& system, ToolboxView& view, const std::string& desktop_user) {
  if (PlainMessageBox(system, kCleanupQuestion, kBoxYesNo) != kAnswerYes) return;
  Leftovers leftovers;
  bool user_skipped = false;
  if (const std::optional<MaxVersion> release = ChosenRelease(view)) {
    const std::string install_dir = InstallDir(*release);
    leftovers.Folder(install_dir, DeleteDirectoryTree(system, install_dir));
    if (const std::optional<std::string> user_dir = ReleaseUserFolder(desktop_user, *release)) {
      leftovers.Folder(*user_dir, DeleteDirectoryTree(system, *user_dir));
    } else {
      user_skipped = true;
    }
    system.pump.SleepBlocking(kCleanupStepSleepMs);

    const auto delete_key = [&](RegistryRoot root, const std::string& key) {
      leftovers.Key(root, key, DeleteRegistryTree(system, root, key));
      system.pump.SleepBlocking(kCleanupStepSleepMs);
    };
    delete_key(RegistryRoot::CurrentUser, kUserSettingsKey);
    delete_key(RegistryRoot::LocalMachine, kMachineSettingsKey);
    for (const char* code : ProductCodes(*release)) {
      delete_key(RegistryRoot::LocalMachine, std::string(kInstallerProductsKey) + code);
    }
  }
  if (user_skipped) {
    PlainMessageBox(system, kUnknownDesktopUserText, kBoxIconExclamation, kUnknownDesktopUserTitle);
  }
  if (leftovers.empty()) {
    PlainMessageBox(system, kCleanupDoneText, kBoxOk, kCleanupDoneTitle);
  } else {
    PlainMessageBox(system, leftovers.Text(), kBoxIconExclamation, kCleanupIncompleteTitle);
  }
}

}  // namespace kelvo
