// Program entry: the start-up sequence and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>

#include "app/toolbox.h"
#include "app/toolbox_window.h"
#include "build_config.h"
#include "net/version_check.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_system.h"

namespace {

// Process-wide state, alive from start-up to process end.
kelvo::Toolbox* g_toolbox = nullptr;

// Runs at every normal process end, whichever path ends it.
void ExitCleanUp() {
  delete g_toolbox;
  g_toolbox = nullptr;
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

  g_toolbox = new kelvo::Toolbox();
  std::atexit(ExitCleanUp);

  static kelvo::Win32System platform;
  kelvo::VersionCheck version_check(platform.system(),
                                    {kelvo::config::kVersionUrl, kelvo::config::kDownloadUrl});
  const std::string published = version_check.FetchPublished();
  // The single-instance guard runs here: a second copy ends before the comparison's messages.
  if (!version_check.StartUpMayContinue(published)) return 0;
  static kelvo::ToolboxWindow window(platform.system(), *g_toolbox);
  if (!window.Create(instance)) return 1;
  window.Show();
  const int code = RunMessageLoop();
  std::exit(code);
}
