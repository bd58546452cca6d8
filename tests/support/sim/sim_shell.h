// The shell as the tests see it: every start is recorded, and each program the test knows runs
// for a while on the simulated clock and then does what the test says.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"
#include "tests/support/sim/sim_clock.h"

namespace kelvo::sim {

struct ShellCall {
  std::string operation;   // "Open", "RunHidden"
  std::string verb;        // Open only
  std::string file;        // the file opened, or the program run
  std::string parameters;  // Open: the parameters; RunHidden: the command line
  std::string folder;
  int show = 0;
  std::int64_t at = 0;  // SimClock::Elapsed()
};

// What a started program does: it runs for `runs_ms`, then `on_end` happens (outside the
// program's thread, like any other process). `error` makes the start itself fail.
struct SimProgram {
  std::uint32_t runs_ms = 0;
  std::function<void()> on_end{};
  std::optional<std::uint32_t> error{};
  bool hands_over_process = true;  // false: the shell starts it but gives no process back
};

class SimShell : public Shell {
 public:
  explicit SimShell(SimClock& clock) : clock_(clock) {}

  // Shell. A file or program is known by its last path part, letters without case; an unknown
  // one fails with 2 (file not found).
  OsResult Open(const std::string& verb, const std::string& file, const std::string& parameters,
                const std::string& folder, int show, StartedProcess* started) override;
  OsResult RunHidden(const std::string& program, const std::string& command_line,
                     StartedProcess* started) override;
  bool HasEnded(StartedProcess process) override;
  void Release(StartedProcess process) override;
  std::optional<std::string> WindowsFolder() override { return windows_folder_; }
  std::optional<std::string> SystemFolder() override { return system_folder_; }
  std::optional<std::string> TempFolder() override { return temp_folder_; }

  // Test side.
  void AddProgram(const std::string& name, SimProgram program);
  void SetWindowsFolder(std::optional<std::string> folder) { windows_folder_ = std::move(folder); }
  void SetTempFolder(std::optional<std::string> folder) { temp_folder_ = std::move(folder); }
  const std::vector<ShellCall>& calls() const { return calls_; }
  // Processes handed out and not yet released.
  int Unreleased() const { return static_cast<int>(ends_.size()); }

 private:
  OsResult Start(ShellCall call, StartedProcess* started);

  SimClock& clock_;
  std::map<std::string, SimProgram> programs_;   // keyed by upper-case name
  std::map<StartedProcess, std::int64_t> ends_;  // started process -> when it ends
  StartedProcess next_ = 0x100;
  std::vector<ShellCall> calls_;
  std::optional<std::string> windows_folder_ = "C:\\Windows";
  std::optional<std::string> system_folder_ = "C:\\Windows\\system32";
  std::optional<std::string> temp_folder_ = "C:\\Users\\user1\\AppData\\Local\\Temp";
};

}  // namespace kelvo::sim
