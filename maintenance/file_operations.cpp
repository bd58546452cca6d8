#include "maintenance/file_operations.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

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

// What the handle holds, checked against what the listing showed.
enum class Opened { kLink, kFolder, kFile, kNotAsListed };

// Ids the file system could not give: none at all, or FILE_INVALID_FILE_ID where a 128-bit id
// does not fit in 64 bits (ReFS).
bool KnownId(std::uint64_t id) {
  return id != 0 && id != ~std::uint64_t{0};
}

Opened WhatWasOpened(const DirectoryEntry& listed, const OpenedEntry& opened) {
  const std::uint32_t attributes = opened.attributes();
  // The link itself: removing it never touches what it leads to.
  if (attributes & kAttributeReparsePoint) return Opened::kLink;
  // The listing showed a link, or another entry, where the handle holds something else: the
  // system went through the link, or the entry was replaced since the listing.
  if ((listed.attributes & kAttributeReparsePoint) ||
      (KnownId(listed.id) && KnownId(opened.id()) && listed.id != opened.id())) {
    return Opened::kNotAsListed;
  }
  return (attributes & kAttributeDirectory) ? Opened::kFolder : Opened::kFile;
}

// One folder being emptied through its handle: its entries as listed and how far the walk has
// come.
struct Level {
  std::string path;
  std::unique_ptr<OpenedEntry> folder;
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
  DirectoryEntry listed;
  std::unique_ptr<OpenedEntry> opened;
  const OsResult open = system.files.OpenForDeletion(top, listed, opened);
  if (IsNotFound(open.error)) return report;
  report.existed = true;
  if (!open.ok()) {
    report.failed.push_back({top, open.error});
    return report;
  }
  switch (WhatWasOpened(listed, *opened)) {
    case Opened::kLink:
      // A link given as the folder itself goes as a link; what it leads to is not ours to empty.
      report.removed = Gone(report, top, opened->Delete());
      return report;
    case Opened::kNotAsListed:
      report.failed.push_back({top, kErrorNotSupported});
      return report;
    case Opened::kFile:
      report.failed.push_back({top, kErrorNotAFolder});
      return report;
    case Opened::kFolder:
      break;
  }

  // Depth first with a stack of our own, so a deep tree cannot exhaust the thread's stack. Each
  // level holds its folder's handle until the folder itself is deleted through it.
  std::vector<Level> levels;
  const auto enter = [&](std::string folder_path, std::unique_ptr<OpenedEntry> folder) {
    Level level{std::move(folder_path), std::move(folder), {}, 0, Problems(report)};
    const OsResult listing = level.folder->List(level.entries);
    if (!listing.ok() && !IsNotFound(listing.error)) {
      report.failed.push_back({level.path, listing.error});
    }
    levels.push_back(std::move(level));
  };
  enter(top, std::move(opened));
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.entries.size()) {
      bool gone = false;
      if (Problems(report) == level.problems_before) {
        gone = Gone(report, level.path, level.folder->Delete());
      }
      if (levels.size() == 1) report.removed = gone;
      levels.pop_back();  // closes the handle: a deleted folder goes now
      continue;
    }
    const DirectoryEntry& entry = level.entries[level.next++];
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    std::string child_path = level.path + "\\" + entry.name;
    std::unique_ptr<OpenedEntry> child;
    const OsResult child_open = level.folder->Open(entry, child);
    if (!child_open.ok()) {
      Gone(report, child_path, child_open);  // an entry that vanished meanwhile is gone too
      continue;
    }
    switch (WhatWasOpened(entry, *child)) {
      case Opened::kLink:
        // A junction or symbolic link: removed as the link, never entered.
        Gone(report, child_path, child->Delete());
        break;
      case Opened::kNotAsListed:
        report.failed.push_back({std::move(child_path), kErrorNotSupported});
        break;
      case Opened::kFolder:
        enter(std::move(child_path), std::move(child));  // `level` is not used after this
        break;
      case Opened::kFile:
        if (child->attributes() & kAttributeReadOnly) {
          // Kept on purpose: read-only guard files must survive every later cleaning.
          report.kept_read_only.push_back(std::move(child_path));
        } else {
          Gone(report, child_path, child->Delete());
        }
        break;
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
