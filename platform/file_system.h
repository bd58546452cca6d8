// Files and folders, addressed by GBK paths in the Windows form.
#pragma once

#include <cstdint>
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
  std::string name;  // without the folder; "." and ".." are never listed
  std::uint32_t attributes = 0;  // a link (junction, symbolic link) has kAttributeReparsePoint
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
};

}  // namespace kelvo
