// A stand-in for 3ds Max in tests: a process named 3dsmax.exe with a top-level window of class
// Qt5QWindowIcon titled "... - Autodesk 3ds Max ...". Runs until it is closed or ended.
//   3dsmax.exe [--minimised | --hidden | --dialog-only] [--title <text>]
// --dialog-only keeps the main window hidden and shows only a dialog it owns.
#include <windows.h>

#include <string>

namespace {

LRESULT CALLBACK StandInProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int show = SW_SHOWNORMAL;
  bool dialog_only = false;
  std::wstring title = L"无标题 - Autodesk 3ds Max 2020";
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--minimised") show = SW_SHOWMINNOACTIVE;
    if (option == L"--hidden") show = SW_HIDE;
    if (option == L"--dialog-only") {
      show = SW_HIDE;
      dialog_only = true;
    }
    if (option == L"--title" && i + 1 < argc) title = argv[++i];
  }
  LocalFree(argv);

  WNDCLASSW window_class{};
  window_class.lpfnWndProc = StandInProc;
  window_class.hInstance = instance;
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = L"Qt5QWindowIcon";
  RegisterClassW(&window_class);
  HWND main = CreateWindowW(L"Qt5QWindowIcon", title.c_str(), WS_OVERLAPPEDWINDOW, 200, 150, 480,
                            320, nullptr, nullptr, instance, nullptr);
  ShowWindow(main, show);
  if (dialog_only) {
    HWND dialog = CreateWindowW(L"Qt5QWindowIcon", L"Autodesk 3ds Max - 提示",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 260, 220, 300, 160, main,
                                nullptr, instance, nullptr);
    ShowWindow(dialog, SW_SHOWNORMAL);
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
