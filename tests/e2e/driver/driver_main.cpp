// kelvo_driver.exe: the driver's operations from the command line, for scripts and for a person
// poking at a running toolbox. Prints UTF-8; exits 0 on success, 1 on a failed wait, 2 on misuse.
//   kelvo_driver list                     every control: id, class, rect, checked, enabled, caption
//   kelvo_driver caption <id>             one control's caption
//   kelvo_driver click <id>               click a button or check box
//   kelvo_driver press <id>               press the mouse on a label
//   kelvo_driver wait-box [ms]            wait for the toolbox's message box; print title and text
//   kelvo_driver answer <button-id> [ms]  wait for the box and press a button (1 OK, 6 Yes, 7 No)
//   kelvo_driver screenshot <file.bmp>
//   kelvo_driver tray-up                  exits 0 when the toolbox's tray icon is up, 1 when not
//   kelvo_driver tray <code>              what the shell sends for a mouse message over the icon
//                                         (514 left button up, 515 double-click, 517 right up)
//   kelvo_driver taskbar-created          announce a new taskbar, as a restarted shell does
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/toolbox_window.h"
#include "tests/e2e/driver/driver.h"

namespace {

using namespace kelvo::e2e;

void Print(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
  std::fputs(utf8.c_str(), stdout);
  std::fputs("\n", stdout);
}

HWND Toolbox() {
  for (int i = 0; i < 100; ++i) {
    if (HWND window = FindWindowW(kelvo::kToolboxWindowClass, nullptr)) return window;
    Sleep(50);
  }
  return nullptr;
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring command = argv[1];
  if (command == L"screenshot" && argc == 3) return SaveScreenshot(argv[2]) ? 0 : 1;
  if (command == L"taskbar-created") {
    BroadcastTaskbarCreated();
    return 0;
  }
  HWND toolbox = Toolbox();
  if (!toolbox) {
    Print(L"no toolbox window");
    return 1;
  }
  const int id = argc > 2 ? _wtoi(argv[2]) : 0;
  if (command == L"list") {
    for (const ControlInfo& c : ListControls(toolbox)) {
      wchar_t line[512];
      swprintf(line, std::size(line), L"%d\t%ls\t%ld,%ld,%ld,%ld\t%d\t%d\t%ls", c.id,
               c.window_class.c_str(), c.rect.left, c.rect.top, c.rect.right - c.rect.left,
               c.rect.bottom - c.rect.top, c.checked, c.enabled, c.caption.c_str());
      Print(line);
    }
    return 0;
  }
  if (command == L"caption" && argc == 3) {
    Print(WindowText(GetDlgItem(toolbox, id)));
    return 0;
  }
  if (command == L"tray-up") return TrayIconUp(toolbox) ? 0 : 1;
  if (command == L"tray" && argc == 3) {
    PostTrayMessage(toolbox, id);
    return 0;
  }
  if (command == L"click" && argc == 3) {
    ClickControl(toolbox, id);
    return 0;
  }
  if (command == L"press" && argc == 3) {
    PressOnControl(toolbox, id);
    return 0;
  }
  if (command == L"wait-box" || command == L"answer") {
    const int wait_arg = command == L"answer" ? 3 : 2;
    const DWORD wait_ms = argc > wait_arg ? static_cast<DWORD>(_wtoi(argv[wait_arg])) : 5000;
    HWND box = WaitForMessageBox(ProcessOf(toolbox), wait_ms);
    if (!box) {
      Print(L"no message box");
      return 1;
    }
    Print(WindowText(box));
    Print(MessageBoxText(box));
    if (command == L"answer") return PressMessageBoxButton(box, id) ? 0 : 1;
    return 0;
  }
  return 2;
}
