// Program entry: the start-up sequence and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/single_instance_guard.h"
#include "app/toolbox.h"
#include "app/toolbox_window.h"
#include "app/tray_icon.h"
#include "build_config.h"
#include "net/version_check.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_system.h"

namespace {

// Process-wide state, alive from start-up to process end.
kelvo::Toolbox* g_toolbox = nullptr;
kelvo::TrayIcon* g_tray = nullptr;

// Runs at every normal process end, whichever path ends it. The tray icon goes last: deleting it
// removes an icon that is still up.
void ExitCleanUp() {
  delete g_toolbox;
  g_toolbox = nullptr;
  delete g_tray;
  g_tray = nullptr;
}

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

// The command line is not read: a start with "AutoStartUp" is the same as any other.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  kelvo::RestrictDefaultDllSearch();
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // Built before the clean-up is registered, so it outlives what the clean-up releases.
  static kelvo::Win32System platform;

  g_tray = new kelvo::TrayIcon(platform.system());
  g_toolbox = new kelvo::Toolbox();
  std::atexit(ExitCleanUp);
  // The page is fetched before the single-instance test, so a second copy waits for it too.
  kelvo::VersionCheck version_check(platform.system(),
                                    {kelvo::config::kVersionUrl, kelvo::config::kDownloadUrl});
  const std::string published = version_check.FetchPublished();
  // A copy that is already running has been brought forward; this one ends without a word.
  if (!kelvo::SingleInstanceGuard(platform.system(), kelvo::config::kInstanceId)) std::exit(0);
  if (!version_check.StartUpMayContinue(published)) return 0;

  static kelvo::ToolboxWindow window(platform.system(), *g_toolbox, *g_tray);
  if (!window.Create(instance)) return 1;
  window.Show();
  const int code = RunMessageLoop();
  std::exit(code);
}
