// The six file operations the maintenance operations change the disk with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/system.h"

namespace kelvo {

struct FileFailure {
  std::string path;
  std::uint32_t error = 0;  // Windows error code

  friend bool operator==(const FileFailure&, const FileFailure&) = default;
};

// What a tree deletion did. Read-only files are kept on purpose (the guard files of the
// disinfection must survive every later cleaning); they and the folders that hold them stay.
struct DeletionReport {
  bool refused = false;  // an empty path or a drive root: nothing was touched
  bool existed = false;  // the folder was there at the start
  bool removed = false;  // the folder itself is gone
  std::vector<std::string> kept_read_only;
  std::vector<FileFailure> failed;  // refused changes (in use, access denied, ...)

  // Nothing refused: the folder is gone or was never there (read-only files aside).
  bool Complete() const { return !refused && failed.empty() && kept_read_only.empty(); }
};

// Empties and removes the folder, depth first. Every entry is opened without following a link
// at its name, relative to the folder handle it was listed through, and what the handle holds
// decides: only real folders are entered, links (junctions, symbolic links) are removed as links,
// and deleting goes through that handle. So a folder swapped for a link after it was listed leads
// nowhere outside the tree. An entry whose handle is not what the listing showed (a link the
// system went through, or something put in its place) is left alone and reported with 50.
// Attributes are never changed. A trailing backslash is accepted; an empty path and a drive root
// ("C:", "C:\", leading spaces ignored) are refused.
DeletionReport DeleteDirectoryTree(System& system, const std::string& path);
// Exactly one level; fails when the parent is missing or the folder exists.
OsResult CreateOneDirectory(System& system, const std::string& path);
// Creates or truncates, writes every byte, closes; fails for a read-only file or one in use.
OsResult WriteWholeFile(System& system, const std::string& path, const std::string& bytes);
// Attributes become exactly read-only (hidden, system and archive cleared).
OsResult SetReadOnly(System& system, const std::string& path);
OsResult DeleteOneFile(System& system, const std::string& path);
// Replaces an existing destination; a copy onto itself fails and changes nothing.
OsResult CopyOneFile(System& system, const std::string& from, const std::string& to);

// True for Windows errors that mean "nothing was there" rather than "a change was refused".
bool IsNotFound(std::uint32_t error);

}  // namespace kelvo
