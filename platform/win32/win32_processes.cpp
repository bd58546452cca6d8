#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

#include "platform/win32/system_library.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace kelvo {
namespace {

// The process to act on: our own pseudo handle (never closed) for id 0, else an opened handle.
class ProcessAccess {
 public:
  ProcessAccess(ProcessId id, DWORD access)
      : opened_(id == 0 ? nullptr : ::OpenProcess(access, FALSE, id)),
        handle_(id == 0 ? ::GetCurrentProcess() : opened_.get()) {}
  HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  UniqueHandle opened_;
  HANDLE handle_;
};

bool ForEachFromToolhelp(const std::function<bool(const ProcessEntry&)>& visit) {
  UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  // One entry for the whole walk: its names are converted into the buffers it already has, so
  // the lookup behind every status tick stops allocating once they are large enough.
  ProcessEntry process;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry)) {
    process.id = entry.th32ProcessID;
    process.parent_id = entry.th32ParentProcessID;
    const std::wstring_view name(entry.szExeFile, ::wcsnlen(entry.szExeFile, MAX_PATH));
    Utf16ToGbkInto(name, process.exe_name);
    process.wide_name.assign(name.begin(), name.end());
    if (!visit(process)) break;
  }
  return true;
}

constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
constexpr NTSTATUS kBufferTooSmall = static_cast<NTSTATUS>(0xC0000023);
constexpr int kSystemProcessInformation = 5;

using QuerySystemInformationFn = NTSTATUS(WINAPI*)(int, void*, ULONG, ULONG*);

// ntdll is part of every process; bound once, from the system folder, for the process's life.
QuerySystemInformationFn QuerySystemInformation() {
  static const UniqueModule ntdll = LoadSystemLibrary(L"ntdll.dll");
  static const auto query =
      BoundFunction<QuerySystemInformationFn>(ntdll.get(), "NtQuerySystemInformation");
  return query;
}

// The system's process list, as records chained by their offsets; false when it cannot be read.
// The list grows between the calls when processes start, so a short buffer is asked again.
bool ReadProcessList(std::vector<std::byte>& list) {
  const QuerySystemInformationFn query = QuerySystemInformation();
  if (query == nullptr) return false;
  if (list.size() < 64 * 1024) list.resize(64 * 1024);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const NTSTATUS status =
        query(kSystemProcessInformation, list.data(), static_cast<ULONG>(list.size()), &needed);
    if (status >= 0) return needed <= list.size();
    if (status != kInfoLengthMismatch && status != kBufferTooSmall) return false;
    list.resize(std::max<std::size_t>(needed + 16 * 1024, list.size() * 2));
  }
  return false;
}

// Walks the records of a list that ReadProcessList filled.
void WalkProcessList(const std::vector<std::byte>& list,
                     const std::function<bool(const ProcessEntry&)>& visit) {
  ProcessEntry process;
  std::size_t offset = 0;
  while (offset + sizeof(SYSTEM_PROCESS_INFORMATION) <= list.size()) {
    SYSTEM_PROCESS_INFORMATION record;
    std::memcpy(&record, list.data() + offset, sizeof record);
    process.id = static_cast<ProcessId>(reinterpret_cast<ULONG_PTR>(record.UniqueProcessId));
    process.parent_id =
        static_cast<ProcessId>(reinterpret_cast<ULONG_PTR>(record.InheritedFromUniqueProcessId));
    const std::wstring_view name =
        record.ImageName.Buffer == nullptr
            ? std::wstring_view()
            : std::wstring_view(record.ImageName.Buffer, record.ImageName.Length / sizeof(wchar_t));
    Utf16ToGbkInto(name, process.exe_name);
    process.wide_name.assign(name.begin(), name.end());
    if (!visit(process) || record.NextEntryOffset == 0) return;
    offset += record.NextEntryOffset;
  }
}

}  // namespace

bool Win32Processes::ForEachProcess(const std::function<bool(const ProcessEntry&)>& visit) {
  std::vector<std::byte> own_list;
  std::vector<std::byte>& list = list_in_use_ ? own_list : list_;
  const bool was_in_use = list_in_use_;
  list_in_use_ = true;
  const bool read = ReadProcessList(list);
  if (read) WalkProcessList(list, visit);
  list_in_use_ = was_in_use;
  return read || ForEachFromToolhelp(visit);
}

ProcessId Win32Processes::CurrentProcessId() {
  return ::GetCurrentProcessId();
}

OsResult Win32Processes::SetPriorityClass(ProcessId id, std::uint32_t priority_class) {
  const ProcessAccess process(id, PROCESS_SET_INFORMATION);
  if (!process) return OsResult::Failed(::GetLastError());
  if (!::SetPriorityClass(process.get(), priority_class)) return OsResult::Failed(::GetLastError());
  return OsResult::Ok();
}

std::uint32_t Win32Processes::PriorityClass(ProcessId id) {
  const ProcessAccess process(id, PROCESS_QUERY_LIMITED_INFORMATION);
  return process ? ::GetPriorityClass(process.get()) : 0;
}

OsResult Win32Processes::Terminate(ProcessId id, std::uint32_t exit_code) {
  const ProcessAccess process(id, PROCESS_TERMINATE);
  if (!process) return OsResult::Failed(::GetLastError());
  if (!::TerminateProcess(process.get(), exit_code)) return OsResult::Failed(::GetLastError());
  return OsResult::Ok();
}

OsResult Win32Processes::SetAffinityMask(ProcessId id, std::uint32_t mask) {
  const ProcessAccess process(id, PROCESS_SET_INFORMATION | PROCESS_QUERY_INFORMATION);
  if (!process) return OsResult::Failed(::GetLastError());
  if (!::SetProcessAffinityMask(process.get(), static_cast<DWORD_PTR>(mask))) {
    return OsResult::Failed(::GetLastError());
  }
  return OsResult::Ok();
}

std::string Win32Processes::OwnExecutablePath() {
  // GetModuleFileNameW cuts the path to the buffer without saying so on every system; a result
  // that fills the buffer is asked again with a larger one, up to the longest path Windows has.
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return Utf16ToGbk(std::wstring_view(path.data(), length));
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 4);
  }
}

}  // namespace kelvo
