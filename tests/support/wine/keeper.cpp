// Holds the Wine desktop open for a whole test run: the virtual desktop, its taskbar and tray
// live only while some GUI process runs. A hidden window and a message loop, nothing else.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"KelvoTestKeeper";
  RegisterClassW(&window_class);
  CreateWindowW(L"KelvoTestKeeper", L"keeper", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                instance, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0)
    DispatchMessageW(&message);
  return 0;
}
