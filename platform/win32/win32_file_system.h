// Files and folders through the wide Windows file functions; GBK paths are converted whole
// (a path holding a NUL byte is refused with ERROR_INVALID_NAME rather than shortened).
#pragma once

#include "platform/file_system.h"

namespace kelvo {

class Win32FileSystem final : public FileSystem {
 public:
  [[nodiscard]] std::optional<std::uint32_t> Attributes(const std::string& path) override;
  // Lists path\*.* with FindFirstFileW; names are converted to GBK. A folder with no entries at
  // all (a drive root) lists as empty, not as a failure.
  OsResult ListFolder(const std::string& path, std::vector<DirectoryEntry>& entries) override;
  OsResult MakeFolder(const std::string& path) override;
  // A link is removed as the link, through a handle opened on the link itself; where the system
  // cannot open the link itself (Wine 8 follows Unix symbolic links) it is refused with
  // ERROR_NOT_SUPPORTED rather than reaching its target.
  OsResult RemoveFolder(const std::string& path) override;
  OsResult RemoveFile(const std::string& path) override;
  OsResult WriteBytes(const std::string& path, std::string_view bytes) override;
  OsResult ReadBytes(const std::string& path, std::string& bytes) override;
  OsResult SetAttributes(const std::string& path, std::uint32_t attributes) override;
  OsResult CopyOver(const std::string& from, const std::string& to) override;
  // The folder that holds the path's last part is opened by its path; the last part is looked up
  // in it (NtQueryDirectoryFile) and opened relative to it (NtCreateFile with RootDirectory and
  // FILE_OPEN_REPARSE_POINT), as every entry below it is; folders are listed through their
  // handles (GetFileInformationByHandleEx, FileIdBothDirectoryInfo) and entries deleted through
  // theirs (SetFileInformationByHandle, the POSIX disposition where the system has it).
  OsResult OpenForDeletion(const std::string& path, DirectoryEntry& listed,
                           std::unique_ptr<OpenedEntry>& opened) override;
};

}  // namespace kelvo
