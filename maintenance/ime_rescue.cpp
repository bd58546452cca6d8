#include "maintenance/ime_rescue.h"

#include <optional>
#include <string>

#include "maintenance/file_operations.h"
#include "platform/plain_message_box.h"
#include "procctl/strong_wake.h"

namespace kelvo {
namespace {

constexpr std::int64_t kPollMs = 50;
constexpr int kFreshFolderAttempts = 100;
constexpr char kFreshFolderPrefix[] = "\\KelvoMAX-";

// Owns a started process until it goes out of scope.
class Started {
 public:
  explicit Started(Shell& shell) : shell_(shell) {}
  ~Started() { shell_.Release(process_); }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  StartedProcess* out() { return &process_; }
  StartedProcess get() const { return process_; }

 private:
  Shell& shell_;
  StartedProcess process_ = 0;
};

// Dispatching messages until `done` answers true or the time is up.
template <typename Done>
void WaitDispatching(System& system, std::uint32_t limit_ms, Done done) {
  const std::uint32_t start = system.pump.TickCount();
  while (!done() && system.pump.TickCount() - start < limit_ms)
    system.pump.PauseDispatching(kPollMs);
}

bool ImeSettingsInPlace(System& system) {
  return system.registry.ReadDword(RegistryRoot::CurrentUser, kTipKey, kTipValue,
                                   RegistryView::Default) == 1u &&
         system.registry.ReadDword(RegistryRoot::CurrentUser, kTsfOverrideKey, kTsfOverrideValue,
                                   RegistryView::Default) == 1u;
}

// A folder of our own under the temporary folder, so nobody else's file is overwritten and the
// batch is not started from wherever the current folder happens to be.
std::optional<std::string> MakeFreshFolder(System& system) {
  const std::optional<std::string> temp = system.shell.TempFolder();
  if (!temp) return std::nullopt;
  const std::string base = *temp + kFreshFolderPrefix +
                           std::to_string(system.processes.CurrentProcessId()) + "-" +
                           std::to_string(system.pump.TickCount());
  for (int attempt = 0; attempt < kFreshFolderAttempts; ++attempt) {
    std::string folder = base + "-" + std::to_string(attempt);
    if (CreateOneDirectory(system, folder).ok()) return folder;
  }
  return std::nullopt;
}

void RunBatch(System& system) {
  const std::optional<std::string> folder = MakeFreshFolder(system);
  if (!folder) return;
  const std::string batch = *folder + "\\" + kImeBatchName;
  if (WriteWholeFile(system, batch, kImeBatchContent).ok()) {
    Started process(system.shell);
    if (system.shell.Open("open", batch, "", "", kShowNormal, process.out()).ok()) {
      // When the shell hands over no process, the settings themselves tell that it has run.
      WaitDispatching(system, kBatchWaitMs, [&] {
        return process.get() != 0 ? system.shell.HasEnded(process.get())
                                  : ImeSettingsInPlace(system);
      });
    }
  }
  static_cast<void>(DeleteOneFile(system, batch));
  static_cast<void>(system.files.RemoveFolder(*folder));
}

}  // namespace

bool RestartDesktopShell(System& system) {
  // taskkill from the system folder by its full path: never a file of that name elsewhere.
  if (const std::optional<std::string> system_folder = system.shell.SystemFolder()) {
    Started kill(system.shell);
    if (system.shell.RunHidden(*system_folder + "\\taskkill.exe", kShellKillCommand, kill.out())
            .ok()) {
      WaitDispatching(system, kShellKillWaitMs, [&] { return system.shell.HasEnded(kill.get()); });
    }
  }
  const std::string windows = system.shell.WindowsFolder().value_or(kFallbackWindowsFolder);
  const OsResult started =
      system.shell.Open("Open", windows + "\\explorer.exe", "", windows, kShowNormal, nullptr);
  return started.ok() || started.error != kErrorFileNotFound;
}

void ImeHangRescue(System& system, const StatusValues& status) {
  if (PlainMessageBox(system, kImeRescueQuestion, kBoxYesNo, kImeRescueTitle) != kAnswerYes) {
    return;
  }
  RunBatch(system);
  system.pump.PauseDispatching(kAfterBatchPauseMs);
  if (!ImeSettingsInPlace(system)) {
    PlainMessageBox(system, kImeRescueFailedText, kBoxIconError, kImeRescueFailedTitle);
    return;
  }
  RestartDesktopShell(system);
  system.pump.PauseDispatching(kBeforeWakePauseMs);
  StrongWake(system, status.max_main_window);
}

}  // namespace kelvo
