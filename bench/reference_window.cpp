// The reference the toolbox is measured against: the least a Win32 program with a window does.
//   kelvo_reference_window --idle            a hidden window with an empty 1-second timer
//   kelvo_reference_window --fetch <https>   reads the page with WinHTTP, then shows a window
//   kelvo_reference_window --fetch-idle <https>  reads the page, then idles like --idle (what
//                                            reading it once leaves loaded)
// Both run until they are ended.
#include <windows.h>

#include <winhttp.h>

#include <string>

namespace {

LRESULT CALLBACK ReferenceProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER) return 0;
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// One GET the way the toolbox makes it (certificate errors of the loopback server accepted).
bool Fetch(const std::wstring& url) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  wchar_t host[256] = {};
  wchar_t path[1024] = {};
  parts.lpszHostName = host;
  parts.dwHostNameLength = 256;
  parts.lpszUrlPath = path;
  parts.dwUrlPathLength = 1024;
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return false;
  const HINTERNET session = WinHttpOpen(L"Mozilla/4.0", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  const HINTERNET connection = session ? WinHttpConnect(session, host, parts.nPort, 0) : nullptr;
  const HINTERNET request =
      connection ? WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                      WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE)
                 : nullptr;
  bool read = false;
  if (request) {
    DWORD flags = 0x3300;
    WinHttpSetOption(request, WINHTTP_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
    if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0,
                           0) &&
        WinHttpReceiveResponse(request, nullptr)) {
      char buffer[4096];
      DWORD got = 0;
      while (WinHttpReadData(request, buffer, sizeof buffer, &got) && got > 0) {
      }
      read = true;
    }
  }
  for (const HINTERNET handle : {request, connection, session}) {
    if (handle) WinHttpCloseHandle(handle);
  }
  return read;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  const bool fetch = mode == L"--fetch" || mode == L"--fetch-idle";
  const bool idle = mode == L"--idle" || mode == L"--fetch-idle";
  if (fetch && (argc < 3 || !Fetch(argv[2]))) return 2;

  WNDCLASSW window_class{};
  window_class.lpfnWndProc = ReferenceProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = L"KelvoReferenceWindow";
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  RegisterClassW(&window_class);
  const HWND window =
      CreateWindowExW(0, window_class.lpszClassName, L"reference", WS_OVERLAPPEDWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  if (idle) {
    SetTimer(window, 1, 1000, nullptr);
  } else {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
  }
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
