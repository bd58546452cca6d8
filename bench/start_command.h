// Starting the programs a benchmark measures or sets up.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/unique_handle.h"

namespace kelvo::bench {

// Starts the command line (its program found as CreateProcess finds it) with the creation flags;
// the process's handle, empty when it could not start.
inline UniqueHandle StartCommand(const std::wstring& command_line, DWORD flags = 0) {
  std::wstring command = command_line;  // CreateProcess may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &info)) {
    return UniqueHandle();
  }
  ::CloseHandle(info.hThread);
  return UniqueHandle(info.hProcess);
}

}  // namespace kelvo::bench
