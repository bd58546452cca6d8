#include "platform/win32/win32_accounts.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/win32/system_library.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace kelvo {
namespace {

// The head of one record of the SystemProcessInformation list, as ntdll lays it out for the
// build's pointer size (the text's buffer and the ids are pointer-sized).
struct CountedText {
  USHORT length;
  USHORT maximum_length;
  PWSTR buffer;
};
struct ProcessRecord {
  ULONG next_entry_offset;  // 0 in the last record
  ULONG number_of_threads;
  LARGE_INTEGER working_set_private_size;
  ULONG hard_fault_count;
  ULONG number_of_threads_high_watermark;
  ULONGLONG cycle_time;
  LARGE_INTEGER create_time;
  LARGE_INTEGER user_time;
  LARGE_INTEGER kernel_time;
  CountedText image_name;
  LONG base_priority;
  HANDLE unique_process_id;
  HANDLE inherited_from_unique_process_id;
};
#ifdef _WIN64
static_assert(offsetof(ProcessRecord, create_time) == 0x20);
static_assert(offsetof(ProcessRecord, image_name) == 0x38);
static_assert(offsetof(ProcessRecord, unique_process_id) == 0x50);
#else
static_assert(offsetof(ProcessRecord, create_time) == 0x20);
static_assert(offsetof(ProcessRecord, image_name) == 0x38);
static_assert(offsetof(ProcessRecord, unique_process_id) == 0x44);
#endif

constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kStatusInfoLengthMismatch = static_cast<LONG>(0xC0000004);
// The list grows when processes start between the size query and the read.
constexpr int kListTries = 4;
constexpr ULONG kListHeadroom = 16 * 1024;

using NtQuerySystemInformationFn = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using WinStationGetProcessSidFn = BOOLEAN(WINAPI*)(HANDLE, DWORD, FILETIME, PVOID, PDWORD);

// The process list, read into 8-byte aligned storage; empty when it cannot be read.
std::vector<ULONGLONG> ReadProcessList(ULONG& size) {
  size = 0;
  const auto query = BoundFunction<NtQuerySystemInformationFn>(::GetModuleHandleW(L"ntdll.dll"),
                                                               "NtQuerySystemInformation");
  if (query == nullptr) return {};
  // Asked with no buffer, the call writes the size the list needs now.
  ULONG needed = 0;
  query(kSystemProcessInformation, nullptr, 0, &needed);
  for (int attempt = 0; attempt < kListTries; ++attempt) {
    const ULONG capacity = needed + kListHeadroom * static_cast<ULONG>(attempt + 1);
    std::vector<ULONGLONG> list((capacity + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG));
    ULONG written = 0;
    const LONG status = query(kSystemProcessInformation, list.data(), capacity, &written);
    if (status >= 0) {
      size = written == 0 ? capacity : std::min(written, capacity);
      return list;
    }
    if (status != kStatusInfoLengthMismatch) return {};
    needed = std::max(written, capacity);
  }
  return {};
}

// A SID checked by Windows, copied at its own length.
std::optional<Sid> CopySid(const void* bytes, DWORD available) {
  PSID sid = const_cast<void*>(bytes);
  if (available == 0 || !::IsValidSid(sid)) return std::nullopt;
  const DWORD length = ::GetLengthSid(sid);
  if (length > available) return std::nullopt;
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  return Sid(first, first + length);
}

}  // namespace

std::optional<std::uint64_t> Win32Accounts::ProcessCreationTime(ProcessId id) {
  ULONG size = 0;
  const std::vector<ULONGLONG> list = ReadProcessList(size);
  const auto* bytes = reinterpret_cast<const std::byte*>(list.data());
  std::size_t offset = 0;
  while (offset + sizeof(ProcessRecord) <= size) {
    ProcessRecord record;
    std::memcpy(&record, bytes + offset, sizeof record);
    if (reinterpret_cast<ULONG_PTR>(record.unique_process_id) == id) {
      return static_cast<std::uint64_t>(record.create_time.QuadPart);
    }
    if (record.next_entry_offset == 0) break;
    offset += record.next_entry_offset;
  }
  return std::nullopt;
}

std::optional<Sid> Win32Accounts::SessionProcessOwner(ProcessId id, std::uint64_t creation_time) {
  const UniqueModule winsta = LoadSystemLibrary(L"winsta.dll");
  const auto get_sid =
      BoundFunction<WinStationGetProcessSidFn>(winsta.get(), "WinStationGetProcessSid");
  if (get_sid == nullptr) return std::nullopt;
  FILETIME start{};
  start.dwLowDateTime = static_cast<DWORD>(creation_time & 0xFFFFFFFFu);
  start.dwHighDateTime = static_cast<DWORD>(creation_time >> 32);
  // Asked with no buffer, the service writes the size it needs.
  DWORD size = 0;
  get_sid(nullptr, id, start, nullptr, &size);
  if (size == 0 || size > 4096) size = SECURITY_MAX_SID_SIZE;
  std::vector<std::uint8_t> buffer(size);
  DWORD filled = size;
  if (!get_sid(nullptr, id, start, buffer.data(), &filled)) return std::nullopt;
  return CopySid(buffer.data(), size);
}

std::optional<Sid> Win32Accounts::TokenProcessOwner(ProcessId id) {
  // The limited right reaches processes of other accounts from an elevated program; Windows XP
  // does not know it.
  UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
  if (!process) process.reset(::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, id));
  if (!process) return std::nullopt;
  UniqueHandle token;
  if (!::OpenProcessToken(process.get(), TOKEN_QUERY, token.put())) return std::nullopt;
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size < sizeof(TOKEN_USER)) return std::nullopt;
  std::vector<ULONGLONG> buffer((size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG));
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) {
    return std::nullopt;
  }
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  const auto* sid_start = static_cast<const std::byte*>(user->User.Sid);
  const auto* buffer_start = reinterpret_cast<const std::byte*>(buffer.data());
  if (sid_start < buffer_start || sid_start >= buffer_start + size) return std::nullopt;
  return CopySid(sid_start, static_cast<DWORD>(buffer_start + size - sid_start));
}

std::optional<std::string> Win32Accounts::AccountName(const Sid& sid) {
  if (sid.empty()) return std::nullopt;
  std::vector<std::uint8_t> copy(sid);  // LookupAccountSidW takes a writable pointer
  if (!::IsValidSid(copy.data()) || ::GetLengthSid(copy.data()) > copy.size()) {
    return std::nullopt;
  }
  DWORD name_size = 0;
  DWORD domain_size = 0;
  SID_NAME_USE use{};
  ::LookupAccountSidW(nullptr, copy.data(), nullptr, &name_size, nullptr, &domain_size, &use);
  if (name_size == 0) return std::nullopt;
  std::wstring name(name_size, L'\0');
  std::wstring domain(domain_size + 1, L'\0');
  DWORD name_length = name_size;
  DWORD domain_length = static_cast<DWORD>(domain.size());
  if (!::LookupAccountSidW(nullptr, copy.data(), name.data(), &name_length, domain.data(),
                           &domain_length, &use)) {
    return std::nullopt;
  }
  return Utf16ToGbk(
      std::wstring_view(name.data(), std::min<std::size_t>(name_length, name.size())));
}

}  // namespace kelvo
