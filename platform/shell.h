// The desktop shell and the starting of programs: documents opened through their file type,
// hidden helper processes, and the system's own folders.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/os_result.h"

namespace kelvo {

// A started process the caller may watch; 0 is none. Give every one back with Release.
using StartedProcess = std::uintptr_t;

inline constexpr int kShowNormal = 1;  // SW_SHOWNORMAL

class Shell {
 public:
  virtual ~Shell() = default;

  // Opens the file with the verb through the shell (ShellExecuteEx). An empty folder is the
  // current one. `started` receives the process the shell started, or 0 when it started none it
  // could hand over. Fails with 2 when the file is not found.
  virtual OsResult Open(const std::string& verb, const std::string& file,
                        const std::string& parameters, const std::string& folder, int show,
                        StartedProcess* started) = 0;
  // Starts `program` (a full path) with the command line, its window hidden.
  virtual OsResult RunHidden(const std::string& program, const std::string& command_line,
                             StartedProcess* started) = 0;
  // True once the process has ended.
  virtual bool HasEnded(StartedProcess process) = 0;
  virtual void Release(StartedProcess process) = 0;
  // "C:\Windows", "C:\Windows\System32" (the program's own view of it), the user's temporary
  // folder; without a trailing backslash. nullopt when Windows cannot tell.
  virtual std::optional<std::string> WindowsFolder() = 0;
  virtual std::optional<std::string> SystemFolder() = 0;
  virtual std::optional<std::string> TempFolder() = 0;
};

}  // namespace kelvo
