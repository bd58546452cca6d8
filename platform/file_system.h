// Files and folders, addressed by GBK paths in the Windows form.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/os_result.h"

namespace kelvo {

// Windows file attribute bits the logic looks at.
inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeArchive = 0x20;
inline constexpr std::uint32_t kAttributeNormal = 0x80;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;

struct DirectoryEntry {
  std::string name;              // without the folder; "." and ".." are never listed
  std::uint32_t attributes = 0;  // a link (junction, symbolic link) has kAttributeReparsePoint
  // The entry's number on its volume as the listing gives it; 0 when the listing has none.
  std::uint64_t id = 0;
  // The name as the system spells it (UTF-16LE bytes) when GBK cannot hold it, so that the entry
  // can still be opened; empty otherwise.
  std::string system_name;
};

// A file, folder or link opened for a tree deletion without following a link at its end. What it
// is comes from the open handle, not from a path, and deleting acts on that handle: whatever
// takes the entry's place after it was opened is never reached.
class OpenedEntry {
 public:
  virtual ~OpenedEntry() = default;

  // As the handle tells them: a link opened as itself has kAttributeReparsePoint.
  virtual std::uint32_t attributes() const = 0;
  // The number of what was opened on its volume; 0 when the system has none.
  virtual std::uint64_t id() const = 0;
  // A folder's entries, read through this handle.
  virtual OsResult List(std::vector<DirectoryEntry>& entries) = 0;
  // One of the entries List gave, opened relative to this folder's handle, never through a link
  // at its name. A system that follows links even when asked not to (Wine) is caught here where
  // it can be, and the opening is refused with 50 (ERROR_NOT_SUPPORTED).
  virtual OsResult Open(const DirectoryEntry& entry, std::unique_ptr<OpenedEntry>& opened) = 0;
  // Deletes what the handle holds: a file, a link as the link, an empty folder. A folder that the
  // system let us open only for listing (no right to delete it, or held open elsewhere) answers
  // that refusal here.
  virtual OsResult Delete() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Attributes of a file or folder; nullopt when nothing is there.
  [[nodiscard]] virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;
  // The folder's entries in listing order.
  virtual OsResult ListFolder(const std::string& path, std::vector<DirectoryEntry>& entries) = 0;
  // One level; fails when the parent is missing or the folder exists.
  virtual OsResult MakeFolder(const std::string& path) = 0;
  // Only an empty folder. A folder link (junction, directory symbolic link, mount point) is
  // removed as a link, whatever its target holds.
  virtual OsResult RemoveFolder(const std::string& path) = 0;
  // Refused for a read-only file and a file that is open elsewhere.
  virtual OsResult RemoveFile(const std::string& path) = 0;
  // Creates or truncates with exclusive use, writes every byte, closes.
  virtual OsResult WriteBytes(const std::string& path, std::string_view bytes) = 0;
  virtual OsResult ReadBytes(const std::string& path, std::string& bytes) = 0;
  // Sets the attributes to exactly the given bits.
  virtual OsResult SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
  // Replaces an existing destination; copying a file onto itself fails.
  virtual OsResult CopyOver(const std::string& from, const std::string& to) = 0;
  // Opens the path's last part as OpenedEntry::Open does, relative to the folder that holds it
  // (links on the way there are followed, as in any path); `listed` is what that folder lists
  // for it.
  virtual OsResult OpenForDeletion(const std::string& path, DirectoryEntry& listed,
                                   std::unique_ptr<OpenedEntry>& opened) = 0;
};

}  // namespace kelvo
