#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace kelvo {
namespace {

OsResult LastError() {
  return OsResult::Failed(::GetLastError());
}

OsResult Done(BOOL succeeded) {
  return succeeded ? OsResult::Ok() : LastError();
}

constexpr OsResult kInvalidName{ERROR_INVALID_NAME};

// Reads and writes go in pieces a DWORD can count.
constexpr std::size_t kMaxChunk = 1u << 30;

// Plain Win32 paths stop at MAX_PATH (folders at 248). A full path as long as that, with nothing
// that needs normalising (no "/", no empty part, none ending in a dot or space, which Windows
// would strip), is passed in the \\?\ form
// instead, so deep trees under AppData can still be listed and removed.
bool NeedsLongForm(std::wstring_view path) {
  constexpr std::size_t kShortestLimit = MAX_PATH - 12;
  if (path.size() < kShortestLimit) return false;
  const wchar_t drive = path[0];
  if (!((drive >= L'A' && drive <= L'Z') || (drive >= L'a' && drive <= L'z')) ||
      path.substr(1, 2) != L":\\" || path.find(L'/') != std::wstring_view::npos) {
    return false;
  }
  std::wstring_view rest = path.substr(3);
  if (!rest.empty() && rest.back() == L'\\') rest.remove_suffix(1);  // a trailing backslash is fine
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(L'\\'), rest.size());
    const std::wstring_view part = rest.substr(0, end);
    if (part.empty() || part.back() == L'.' || part.back() == L' ') return false;
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return true;
}

// The path as a wide string without the terminator element; nullopt for a path holding a NUL.
std::optional<std::wstring> FilePath(const std::string& path) {
  auto wide = GbkNameToUtf16(path);
  if (!wide) return std::nullopt;
  if (!wide->empty()) wide->pop_back();
  if (NeedsLongForm(*wide)) wide->insert(0, L"\\\\?\\");
  return wide;
}

// A folder path without the separators at its end, except the one of a drive root ("C:\\"
// must not turn into "C:", the current folder of drive C). Windows follows a link whose path ends
// in a separator on some systems (Wine does), so the link is looked at without them.
std::wstring WithoutTrailingSeparators(std::wstring path) {
  const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  std::size_t end = path.size();
  while (end > 1 && separator(path[end - 1]) && path[end - 2] != L':')
    --end;
  if (end == 0 || separator(path[end - 1])) return path;  // nothing but separators
  path.resize(end);
  return path;
}

bool IsLink(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A link (junction, mount point, symbolic link) is removed through a handle to the link itself,
// so that whatever it leads to stays as it is. Windows opens the link when asked to; a system
// that follows it all the same (Wine 8 does, for the Unix symbolic links it reports as reparse
// points) would remove the target instead, so there the removal is refused and nothing changes.
OsResult RemoveLink(const std::wstring& path, bool folder) {
  UniqueHandle link(
      ::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!link) return LastError();
  FILE_ATTRIBUTE_TAG_INFO opened{};
  if (!::GetFileInformationByHandleEx(link.get(), FileAttributeTagInfo, &opened, sizeof opened)) {
    return LastError();
  }
  if ((opened.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    return OsResult::Failed(ERROR_NOT_SUPPORTED);  // the handle is the target's
  }
  // The refusals RemoveDirectoryW and DeleteFileW give for the other kind.
  const bool is_folder = (opened.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (folder && !is_folder) return OsResult::Failed(ERROR_DIRECTORY);
  if (!folder && is_folder) return OsResult::Failed(ERROR_ACCESS_DENIED);
  FILE_DISPOSITION_INFO dispose{TRUE};
  return Done(
      ::SetFileInformationByHandle(link.get(), FileDispositionInfo, &dispose, sizeof dispose));
}

}  // namespace

std::optional<std::uint32_t> Win32FileSystem::Attributes(const std::string& path) {
  const auto wide = FilePath(path);
  if (!wide) return std::nullopt;
  const DWORD attributes = ::GetFileAttributesW(wide->c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
  return attributes;
}

OsResult Win32FileSystem::ListFolder(const std::string& path,
                                     std::vector<DirectoryEntry>& entries) {
  entries.clear();
  auto pattern = FilePath(path);
  if (!pattern) return kInvalidName;
  // An empty path must not turn into "\*.*", the root of the current drive.
  if (pattern->empty()) return OsResult::Failed(ERROR_PATH_NOT_FOUND);
  // Decide about the separator on the wide text: in GBK a 0x5C byte may be the second half of a
  // double-byte character, not a backslash.
  if (pattern->back() != L'\\' && pattern->back() != L'/') {
    pattern->push_back(L'\\');
  }
  pattern->append(L"*.*");

  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(::FindFirstFileW(pattern->c_str(), &found));
  if (!search) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? OsResult::Ok() : OsResult::Failed(error);
  }
  do {
    const std::wstring_view name(found.cFileName);
    if (name == L"." || name == L"..") continue;
    entries.push_back({Utf16ToGbk(name), found.dwFileAttributes});
  } while (::FindNextFileW(search.get(), &found));
  const DWORD error = ::GetLastError();
  return error == ERROR_NO_MORE_FILES ? OsResult::Ok() : OsResult::Failed(error);
}

OsResult Win32FileSystem::MakeFolder(const std::string& path) {
  const auto wide = FilePath(path);
  if (!wide) return kInvalidName;
  return Done(::CreateDirectoryW(wide->c_str(), nullptr));
}

OsResult Win32FileSystem::RemoveFolder(const std::string& path) {
  const auto wide = FilePath(path);
  if (!wide) return kInvalidName;
  const std::wstring folder = WithoutTrailingSeparators(*wide);
  if (IsLink(folder)) return RemoveLink(folder, /*folder=*/true);
  return Done(::RemoveDirectoryW(wide->c_str()));
}

OsResult Win32FileSystem::RemoveFile(const std::string& path) {
  const auto wide = FilePath(path);
  if (!wide) return kInvalidName;
  if (IsLink(*wide)) return RemoveLink(*wide, /*folder=*/false);
  return Done(::DeleteFileW(wide->c_str()));
}

OsResult Win32FileSystem::WriteBytes(const std::string& path, std::string_view bytes) {
  const auto wide = FilePath(path);
  if (!wide) return kInvalidName;
  // Windows refuses to open a read-only file for writing; Wine running as root does not, and
  // the read-only guard files must survive every write on both.
  const DWORD existing = ::GetFileAttributesW(wide->c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0 &&
      (existing & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return OsResult::Failed(ERROR_ACCESS_DENIED);
  }
  UniqueHandle file(::CreateFileW(wide->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), kMaxChunk));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) return LastError();
    if (written == 0) return OsResult::Failed(ERROR_WRITE_FAULT);
    bytes.remove_prefix(written);
  }
  return OsResult::Ok();
}

OsResult Win32FileSystem::ReadBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  const auto wide = FilePath(path);
  if (!wide) return kInvalidName;
  UniqueHandle file(::CreateFileW(wide->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return LastError();
  std::string content;
  content.reserve(static_cast<std::size_t>(size.QuadPart));
  char buffer[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return LastError();
    if (read == 0) break;
    content.append(buffer, read);
  }
  bytes = std::move(content);
  return OsResult::Ok();
}

OsResult Win32FileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  const auto wide = FilePath(path);
  if (!wide) return kInvalidName;
  return Done(::SetFileAttributesW(wide->c_str(), attributes));
}

OsResult Win32FileSystem::CopyOver(const std::string& from, const std::string& to) {
  const auto wide_from = FilePath(from);
  const auto wide_to = FilePath(to);
  if (!wide_from || !wide_to) return kInvalidName;
  return Done(::CopyFileW(wide_from->c_str(), wide_to->c_str(), FALSE));
}

}  // namespace kelvo
