#include "platform/win32/win32_shell.h"

#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "platform/win32/text_conversion.h"

namespace kelvo {
namespace {

// A GBK text as a wide C string; nullopt when it cannot be converted.
std::optional<std::wstring> Wide(const std::string& gbk) {
  auto wide = GbkNameToUtf16(gbk);
  if (wide && !wide->empty()) wide->pop_back();
  return wide;
}

// A folder from a call that fills a buffer and answers the length (0 = failure).
template <typename Call>
std::optional<std::string> FolderFrom(Call call) {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const UINT length = call(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) {
      std::wstring_view folder(buffer.data(), length);
      while (!folder.empty() && folder.back() == L'\\')
        folder.remove_suffix(1);
      return Utf16ToGbk(folder);
    }
    buffer.resize(length + 1);
  }
  return std::nullopt;
}

}  // namespace

OsResult Win32Shell::Open(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& folder, int show,
                          StartedProcess* started) {
  if (started) *started = 0;
  const auto wide_verb = Wide(verb);
  const auto wide_file = Wide(file);
  const auto wide_parameters = Wide(parameters);
  const auto wide_folder = Wide(folder);
  if (!wide_verb || !wide_file || !wide_parameters || !wide_folder) {
    return OsResult::Failed(ERROR_INVALID_PARAMETER);
  }
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = wide_verb->c_str();
  info.lpFile = wide_file->c_str();
  info.lpParameters = wide_parameters->empty() ? nullptr : wide_parameters->c_str();
  info.lpDirectory = wide_folder->empty() ? nullptr : wide_folder->c_str();
  info.nShow = show;
  if (!::ShellExecuteExW(&info)) return OsResult::Failed(::GetLastError());
  if (started) {
    *started = reinterpret_cast<StartedProcess>(info.hProcess);
  } else if (info.hProcess) {
    ::CloseHandle(info.hProcess);
  }
  return OsResult::Ok();
}

OsResult Win32Shell::RunHidden(const std::string& program, const std::string& command_line,
                               StartedProcess* started) {
  if (started) *started = 0;
  const auto wide_program = Wide(program);
  auto wide_command = Wide(command_line);
  if (!wide_program || !wide_command) return OsResult::Failed(ERROR_INVALID_PARAMETER);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  // CreateProcess may write into the command line, so it gets its own buffer.
  if (!::CreateProcessW(wide_program->c_str(), wide_command->data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process)) {
    return OsResult::Failed(::GetLastError());
  }
  ::CloseHandle(process.hThread);
  if (started) {
    *started = reinterpret_cast<StartedProcess>(process.hProcess);
  } else {
    ::CloseHandle(process.hProcess);
  }
  return OsResult::Ok();
}

bool Win32Shell::HasEnded(StartedProcess process) {
  if (process == 0) return true;
  return ::WaitForSingleObject(reinterpret_cast<HANDLE>(process), 0) != WAIT_TIMEOUT;
}

void Win32Shell::Release(StartedProcess process) {
  if (process != 0) ::CloseHandle(reinterpret_cast<HANDLE>(process));
}

std::optional<std::string> Win32Shell::WindowsFolder() {
  return FolderFrom(
      [](wchar_t* buffer, UINT size) { return ::GetWindowsDirectoryW(buffer, size); });
}

std::optional<std::string> Win32Shell::SystemFolder() {
  return FolderFrom([](wchar_t* buffer, UINT size) { return ::GetSystemDirectoryW(buffer, size); });
}

std::optional<std::string> Win32Shell::TempFolder() {
  return FolderFrom(
      [](wchar_t* buffer, UINT size) { return static_cast<UINT>(::GetTempPathW(size, buffer)); });
}

}  // namespace kelvo
