#include "maintenance/file_operations.h"

#include <optional>
#include <utility>

#include "maintenance/path_text.h"

namespace kelvo {
namespace {

// ERROR_DIRECTORY: the name is a file, not a folder.
constexpr std::uint32_t kErrorNotAFolder = 267;

std::size_t Problems(const DeletionReport& report) {
  return report.failed.size() + report.kept_read_only.size();
}

// True when the thing is gone; a thing that vanished on its own is gone too.
bool Gone(DeletionReport& report, const std::string& path, OsResult result) {
  if (result.ok() || IsNotFound(result.error)) return true;
  report.failed.push_back({path, result.error});
  return false;
}

// One folder being emptied: its entries as listed and how far the walk has come.
struct Level {
  std::string path;
  std::vector<DirectoryEntry> entries;
  std::size_t next = 0;
  std::size_t problems_before = 0;  // a folder is removed only when nothing below it stayed
};

}  // namespace

bool IsNotFound(std::uint32_t error) {
  return error == kErrorFileNotFound || error == kErrorPathNotFound;
}

DeletionReport DeleteDirectoryTree(System& system, const std::string& path) {
  DeletionReport report;
  const std::string_view given = WithoutLeadingSpaces(path);
  if (NamesARoot(given)) {
    report.refused = true;
    return report;
  }
  const std::string top(WithoutTrailingSeparators(given));
  const std::optional<std::uint32_t> attributes = system.files.Attributes(top);
  if (!attributes) return report;
  report.existed = true;
  if ((*attributes & kAttributeDirectory) == 0) {
    report.failed.push_back({top, kErrorNotAFolder});
    return report;
  }
  // A link given as the folder itself goes as a link; what it points to is not ours to empty.
  if (*attributes & kAttributeReparsePoint) {
    report.removed = Gone(report, top, system.files.RemoveFolder(top));
    return report;
  }

  // Depth first with a stack of our own, so a deep tree cannot exhaust the thread's stack.
  std::vector<Level> levels;
  const auto enter = [&](std::string folder) {
    Level level{std::move(folder), {}, 0, Problems(report)};
    const OsResult listed = system.files.ListFolder(level.path, level.entries);
    if (!listed.ok() && !IsNotFound(listed.error)) {
      report.failed.push_back({level.path, listed.error});
    }
    levels.push_back(std::move(level));
  };
  enter(top);
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.entries.size()) {
      bool gone = false;
      if (Problems(report) == level.problems_before) {
        gone = Gone(report, level.path, system.files.RemoveFolder(level.path));
      }
      if (levels.size() == 1) report.removed = gone;
      levels.pop_back();
      continue;
    }
    const DirectoryEntry& entry = level.entries[level.next++];
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    std::string child = level.path + "\\" + entry.name;
    const bool is_folder = (entry.attributes & kAttributeDirectory) != 0;
    if (is_folder && (entry.attributes & kAttributeReparsePoint)) {
      // A junction or folder link: removed as a link, never entered, so its target survives.
      Gone(report, child, system.files.RemoveFolder(child));
    } else if (is_folder) {
      enter(std::move(child));  // `level` is not used after this
    } else if (entry.attributes & kAttributeReadOnly) {
      // Kept on purpose: read-only guard files must survive every later cleaning.
      report.kept_read_only.push_back(std::move(child));
    } else {
      // A file link is deleted as a link by DeleteFile.
      Gone(report, child, system.files.RemoveFile(child));
    }
  }
  return report;
}

OsResult CreateOneDirectory(System& system, const std::string& path) {
  return system.files.MakeFolder(path);
}

OsResult WriteWholeFile(System& system, const std::string& path, const std::string& bytes) {
  return system.files.WriteBytes(path, bytes);
}

OsResult SetReadOnly(System& system, const std::string& path) {
  return system.files.SetAttributes(path, kAttributeReadOnly);
}

OsResult DeleteOneFile(System& system, const std::string& path) {
  return system.files.RemoveFile(path);
}

OsResult CopyOneFile(System& system, const std::string& from, const std::string& to) {
  return system.files.CopyOver(from, to);
}

}  // namespace kelvo
