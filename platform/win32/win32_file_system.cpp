#include "platform/win32/win32_file_system.h"

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win32/system_library.h"
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

// Opening relative to a folder handle and reading through handles are the native calls of
// ntdll, bound at first use from the system folder.
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryInformationFileFn = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, int);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK,
                                                PVOID, ULONG, int, BOOLEAN, PUNICODE_STRING,
                                                BOOLEAN);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS);

// Information classes and flags of the native calls (ntifs.h, which MinGW does not ship).
constexpr int kFileNameInformation = 9;
constexpr int kFileInternalInformation = 6;
constexpr int kFileIdBothDirectoryInformation = 37;
constexpr ULONG kFileOpenReparsePoint = 0x00200000;     // FILE_OPEN_REPARSE_POINT
constexpr ULONG kFileOpenForBackupIntent = 0x00004000;  // FILE_OPEN_FOR_BACKUP_INTENT
constexpr ULONG kFileSynchronousIoNonalert = 0x00000020;
constexpr ULONG kFileOpen = 1;  // FILE_OPEN
constexpr NTSTATUS kStatusBufferOverflow = static_cast<NTSTATUS>(0x80000005);
constexpr NTSTATUS kStatusNoSuchFile = static_cast<NTSTATUS>(0xC000000F);
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006);
constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);
constexpr NTSTATUS kStatusSharingViolation = static_cast<NTSTATUS>(0xC0000043);
// FileDispositionInfoEx (Windows 10 1607 and later): the name goes at once, even while another
// program still holds the file open with delete sharing.
constexpr FILE_INFO_BY_HANDLE_CLASS kFileDispositionInfoEx =
    static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr ULONG kDispositionDelete = 0x1;
constexpr ULONG kDispositionPosixSemantics = 0x2;

struct NtFileCalls {
  NtCreateFileFn create = nullptr;
  NtQueryInformationFileFn query_information = nullptr;
  NtQueryDirectoryFileFn query_directory = nullptr;
  RtlNtStatusToDosErrorFn to_error = nullptr;
  // Wine 8 opens what a Unix symbolic link leads to even when asked for the link itself, and
  // shows a link to a file as that file; the one trace is the handle's name, which is then the
  // target's. There every opened entry's name is compared with the name it was opened by.
  bool follows_links = false;

  bool bound() const { return create && query_information && query_directory && to_error; }
};

const NtFileCalls& Nt() {
  static const UniqueModule ntdll = LoadSystemLibrary(L"ntdll.dll");
  static const NtFileCalls calls = [] {
    NtFileCalls bound;
    const HMODULE module = ntdll.get();
    bound.create = BoundFunction<NtCreateFileFn>(module, "NtCreateFile");
    bound.query_information =
        BoundFunction<NtQueryInformationFileFn>(module, "NtQueryInformationFile");
    bound.query_directory = BoundFunction<NtQueryDirectoryFileFn>(module, "NtQueryDirectoryFile");
    bound.to_error = BoundFunction<RtlNtStatusToDosErrorFn>(module, "RtlNtStatusToDosError");
    bound.follows_links = module != nullptr && ::GetProcAddress(module, "wine_get_version");
    return bound;
  }();
  return calls;
}

OsResult StatusResult(NTSTATUS status) {
  if (NT_SUCCESS(status)) return OsResult::Ok();
  return OsResult::Failed(Nt().to_error(status));
}

// The handle's own path on its volume ("\\Users\\me\\a.txt"); empty when it cannot be read.
std::wstring HandleName(HANDLE handle) {
  // FILE_NAME_INFORMATION: the length in bytes, then the name. Most paths fit the first try.
  std::vector<ULONG> buffer(1 + 512 / sizeof(ULONG));
  for (;;) {
    IO_STATUS_BLOCK io{};
    const NTSTATUS status = Nt().query_information(
        handle, &io, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG)),
        kFileNameInformation);
    if (status == kStatusBufferOverflow && buffer.size() < 1 + 65536 / sizeof(ULONG)) {
      buffer.resize(2 + buffer[0] / sizeof(ULONG));
      continue;
    }
    if (!NT_SUCCESS(status)) return {};
    return std::wstring(reinterpret_cast<const wchar_t*>(buffer.data() + 1),
                        buffer[0] / sizeof(wchar_t));
  }
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// An entry of a listing, with its name in GBK and, when GBK cannot hold it, as the system spells
// it.
DirectoryEntry ListedEntry(const FILE_ID_BOTH_DIR_INFO& found) {
  const std::wstring_view name(found.FileName, found.FileNameLength / sizeof(wchar_t));
  DirectoryEntry entry;
  entry.name = Utf16ToGbk(name);
  entry.attributes = found.FileAttributes;
  entry.id = static_cast<std::uint64_t>(found.FileId.QuadPart);
  std::wstring back = GbkToUtf16(entry.name);
  if (!back.empty()) back.pop_back();
  if (back != name || entry.name.size() != std::strlen(entry.name.c_str())) {
    entry.system_name.assign(reinterpret_cast<const char*>(name.data()),
                             name.size() * sizeof(wchar_t));
  }
  return entry;
}

std::wstring SystemName(const DirectoryEntry& entry) {
  if (!entry.system_name.empty()) {
    std::wstring name(entry.system_name.size() / sizeof(wchar_t), L'\0');
    std::memcpy(name.data(), entry.system_name.data(), name.size() * sizeof(wchar_t));
    return name;
  }
  std::wstring name = GbkToUtf16(entry.name);
  if (!name.empty()) name.pop_back();
  return name;
}

// A file, folder or link opened by NtCreateFile relative to its folder's handle, as itself
// (FILE_OPEN_REPARSE_POINT): a name ending in a dot or a space is taken as it is, and no path
// is ever too long, since only one name is passed.
class Win32OpenedEntry final : public OpenedEntry {
 public:
  static OsResult OpenIn(HANDLE folder, const std::wstring& folder_name, const std::wstring& name,
                         bool listed_as_folder, std::unique_ptr<OpenedEntry>& opened) {
    opened.reset();
    const NtFileCalls& nt = Nt();
    if (name.empty() || name.size() * sizeof(wchar_t) > 0xFFFE) {
      return OsResult::Failed(ERROR_INVALID_NAME);
    }
    UNICODE_STRING unicode_name{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                                static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                                const_cast<PWSTR>(name.c_str())};
    OBJECT_ATTRIBUTES object{};
    object.Length = sizeof object;
    object.RootDirectory = folder;
    object.ObjectName = &unicode_name;
    object.Attributes = OBJ_CASE_INSENSITIVE;
    const ACCESS_MASK read =
        FILE_READ_ATTRIBUTES | SYNCHRONIZE | (listed_as_folder ? FILE_LIST_DIRECTORY : 0);
    const auto open = [&](ACCESS_MASK access, HANDLE& handle) {
      IO_STATUS_BLOCK io{};
      return nt.create(
          &handle, access, &object, &io, nullptr, 0,
          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileOpen,
          kFileOpenReparsePoint | kFileOpenForBackupIntent | kFileSynchronousIoNonalert, nullptr,
          0);
    };
    HANDLE raw = nullptr;
    NTSTATUS status = open(read | DELETE, raw);
    OsResult delete_refusal;
    // A folder we may not delete, or one another program holds open without delete sharing, is
    // still opened for listing, so that what is inside can go.
    if (listed_as_folder && (status == kStatusAccessDenied || status == kStatusSharingViolation)) {
      delete_refusal = StatusResult(status);
      status = open(read, raw);
    }
    if (!NT_SUCCESS(status)) return StatusResult(status);
    auto entry = std::unique_ptr<Win32OpenedEntry>(new Win32OpenedEntry(UniqueHandle(raw)));
    entry->delete_refusal_ = delete_refusal;
    if (const OsResult described = entry->Describe(); !described.ok()) return described;
    if (nt.follows_links) {
      entry->name_ = HandleName(raw);
      // Wine tells a name without its trailing dots and spaces, as a Win32 path would spell it.
      std::wstring expected = folder_name;
      if (expected.empty() || expected.back() != L'\\') expected += L'\\';
      expected += name.substr(0, name.find_last_not_of(L". ") + 1);
      if (folder_name.empty() || !SameNameIgnoringCase(entry->name_, expected)) {
        return OsResult::Failed(ERROR_NOT_SUPPORTED);  // the handle is what a link leads to
      }
    }
    opened = std::move(entry);
    return OsResult::Ok();
  }

  std::uint32_t attributes() const override { return attributes_; }
  std::uint64_t id() const override { return id_; }

  OsResult List(std::vector<DirectoryEntry>& entries) override {
    entries.clear();
    // Whole entries, 8-byte aligned; a name is at most 255 characters, so each call fits many.
    std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
    for (FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;;
         kind = FileIdBothDirectoryInfo) {
      if (!::GetFileInformationByHandleEx(handle_.get(), kind, buffer.data(),
                                          static_cast<DWORD>(buffer.size() * sizeof buffer[0]))) {
        const DWORD error = ::GetLastError();
        return error == ERROR_NO_MORE_FILES ? OsResult::Ok() : OsResult::Failed(error);
      }
      const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
      for (;;) {
        const auto& found = *reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
        const std::wstring_view name(found.FileName, found.FileNameLength / sizeof(wchar_t));
        if (name != L"." && name != L"..") entries.push_back(ListedEntry(found));
        if (found.NextEntryOffset == 0) break;
        bytes += found.NextEntryOffset;
      }
    }
  }

  OsResult Open(const DirectoryEntry& entry, std::unique_ptr<OpenedEntry>& opened) override {
    return OpenIn(handle_.get(), name_, SystemName(entry),
                  (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, opened);
  }

  OsResult Delete() override {
    if (!delete_refusal_.ok()) return delete_refusal_;
    DispositionEx at_once{kDispositionDelete | kDispositionPosixSemantics};
    if (::SetFileInformationByHandle(handle_.get(), kFileDispositionInfoEx, &at_once,
                                     sizeof at_once)) {
      return OsResult::Ok();
    }
    const DWORD error = ::GetLastError();
    // Older systems, other file systems and Wine know only the plain disposition.
    if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
        error != ERROR_INVALID_FUNCTION) {
      return OsResult::Failed(error);
    }
    FILE_DISPOSITION_INFO dispose{TRUE};
    return Done(
        ::SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &dispose, sizeof dispose));
  }

  // The folder the walk starts in, opened by its path.
  static OsResult OpenFolder(const std::wstring& path, UniqueHandle& folder, std::wstring& name) {
    folder.reset(::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return LastError();
    if (Nt().follows_links) name = HandleName(folder.get());
    return OsResult::Ok();
  }

 private:
  struct DispositionEx {
    ULONG Flags;
  };

  explicit Win32OpenedEntry(UniqueHandle handle) : handle_(std::move(handle)) {}

  OsResult Describe() {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(handle_.get(), FileAttributeTagInfo, &tag, sizeof tag)) {
      return LastError();
    }
    attributes_ = tag.FileAttributes;
    LARGE_INTEGER index{};
    IO_STATUS_BLOCK io{};
    if (NT_SUCCESS(Nt().query_information(handle_.get(), &io, &index, sizeof index,
                                          kFileInternalInformation))) {
      id_ = static_cast<std::uint64_t>(index.QuadPart);
    }
    return OsResult::Ok();
  }

  UniqueHandle handle_;
  std::uint32_t attributes_ = 0;
  std::uint64_t id_ = 0;
  OsResult delete_refusal_;
  std::wstring name_;  // the handle's own path, read only where opening follows links
};

// The folder part and the last name of a full path ("C:\a\b" -> "C:\a\", "b").
bool SplitLastName(const std::wstring& full, std::wstring& folder, std::wstring& name) {
  const std::size_t separator = full.find_last_of(L"\\/");
  if (separator == std::wstring::npos || separator + 1 >= full.size()) return false;
  folder = full.substr(0, separator + 1);
  name = full.substr(separator + 1);
  return true;
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
    entries.push_back({Utf16ToGbk(name), found.dwFileAttributes, 0, {}});
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

OsResult Win32FileSystem::OpenForDeletion(const std::string& path, DirectoryEntry& listed,
                                          std::unique_ptr<OpenedEntry>& opened) {
  opened.reset();
  listed = {};
  if (!Nt().bound()) return OsResult::Failed(ERROR_PROC_NOT_FOUND);
  const auto wide = FilePath(path);
  if (!wide) return kInvalidName;
  if (wide->empty()) return OsResult::Failed(ERROR_PATH_NOT_FOUND);
  // The full path, as Windows would resolve it for any file call (relative paths, "C:name").
  std::wstring full(32768, L'\0');
  const DWORD length =
      ::GetFullPathNameW(wide->c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return LastError();
  full.resize(length);
  full = WithoutTrailingSeparators(std::move(full));
  std::wstring folder_path, name;
  if (!SplitLastName(full, folder_path, name)) return OsResult::Failed(ERROR_PATH_NOT_FOUND);
  // The name is looked up literally: wildcards are no part of any name.
  if (name.find_first_of(L"*?<>\"") != std::wstring::npos) return kInvalidName;

  UniqueHandle folder;
  std::wstring folder_name;
  if (const OsResult open = Win32OpenedEntry::OpenFolder(folder_path, folder, folder_name);
      !open.ok()) {
    return open;
  }
  // What the folder lists under that name, read through its handle.
  std::vector<std::uint64_t> buffer(4096 / sizeof(std::uint64_t));
  UNICODE_STRING mask{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                      static_cast<USHORT>(name.size() * sizeof(wchar_t)), name.data()};
  IO_STATUS_BLOCK io{};
  const NTSTATUS status =
      Nt().query_directory(folder.get(), nullptr, nullptr, nullptr, &io, buffer.data(),
                           static_cast<ULONG>(buffer.size() * sizeof buffer[0]),
                           kFileIdBothDirectoryInformation, TRUE, &mask, TRUE);
  if (status == kStatusNoSuchFile || status == kStatusNoMoreFiles) {
    return OsResult::Failed(ERROR_FILE_NOT_FOUND);
  }
  if (!NT_SUCCESS(status)) return StatusResult(status);
  listed = ListedEntry(*reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer.data()));
  return Win32OpenedEntry::OpenIn(folder.get(), folder_name, SystemName(listed),
                                  (listed.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0, opened);
}

}  // namespace kelvo
