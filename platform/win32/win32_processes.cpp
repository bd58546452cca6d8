#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <cwchar>
#include <string>

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

}  // namespace

bool Win32Processes::ForEachProcess(const std::function<bool(const ProcessEntry&)>& visit) {
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
