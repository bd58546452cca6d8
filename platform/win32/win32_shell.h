// Starting documents and programs, and the system's folders, with the wide shell functions.
#pragma once

#include "platform/shell.h"

namespace kelvo {

class Win32Shell final : public Shell {
 public:
  OsResult Open(const std::string& verb, const std::string& file, const std::string& parameters,
                const std::string& folder, int show, StartedProcess* started) override;
  OsResult RunHidden(const std::string& program, const std::string& command_line,
                     StartedProcess* started) override;
  bool HasEnded(StartedProcess process) override;
  void Release(StartedProcess process) override;
  std::optional<std::string> WindowsFolder() override;
  std::optional<std::string> SystemFolder() override;
  std::optional<std::string> TempFolder() override;
};

}  // namespace kelvo
