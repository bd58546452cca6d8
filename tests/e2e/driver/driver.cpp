#include "tests/e2e/driver/driver.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "app/toolbox_window.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kPollMs = 50;

struct WindowSearch {
  DWORD process_id;
  const wchar_t* window_class;
  bool visible_only;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->process_id) return TRUE;
  if (search->visible_only && !IsWindowVisible(window)) return TRUE;
  if (ClassOf(window) != search->window_class) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindWindowOf(DWORD process_id, const wchar_t* window_class, bool visible_only) {
  WindowSearch search{process_id, window_class, visible_only, nullptr};
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

NOTIFYICONDATAW TrayRecord(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = window;
  data.uID = id;
  return data;
}

}  // namespace

Started& Started::operator=(Started&& other) noexcept {
  if (this != &other) {
    Stop();
    info_ = other.info_;
    other.info_ = {};
  }
  return *this;
}

bool Started::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Started::Stop() {
  if (info_.hProcess) {
    if (Running()) TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
    CloseHandle(info_.hProcess);
  }
  if (info_.hThread) CloseHandle(info_.hThread);
  info_ = {};
}

std::wstring Environment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value ? value : L"";
}

std::wstring WindowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  std::wstring windows = L"Z:" + path;
  for (wchar_t& c : windows) {
    if (c == L'/') c = L'\\';
  }
  return windows;
}

std::optional<Started> StartProgram(const std::wstring& path, const std::wstring& arguments) {
  std::wstring program = WindowsPath(path);
  std::wstring command = L"\"" + program + L"\"";
  if (!arguments.empty()) command += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return std::nullopt;
  }
  return Started(info);
}

HWND StartToolbox(Started& program, DWORD timeout_ms) {
  auto started = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
  if (!started) return nullptr;
  program = std::move(*started);
  return WaitForWindow(program.id(), kToolboxWindowClass, timeout_ms);
}

HWND WaitForWindow(DWORD process_id, const std::wstring& window_class, DWORD timeout_ms,
                   bool visible_only) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND found = FindWindowOf(process_id, window_class.c_str(), visible_only)) return found;
    if (GetTickCount() - start >= timeout_ms) return nullptr;
    Sleep(kPollMs);
  }
}

std::wstring WindowText(HWND window) {
  wchar_t text[4096] = {};
  // WM_GETTEXT reads controls of another process too.
  SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[260] = {};
  GetClassNameW(window, name, static_cast<int>(std::size(name)));
  return name;
}

RECT ClientRectOf(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return rect;
}

std::vector<ControlInfo> ListControls(HWND parent) {
  std::vector<ControlInfo> controls;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ControlInfo info;
    info.id = GetDlgCtrlID(child);
    info.window_class = ClassOf(child);
    info.caption = WindowText(child);
    GetWindowRect(child, &info.rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&info.rect), 2);
    DWORD_PTR state = 0;
    SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
    info.checked = state == BST_CHECKED;
    info.enabled = IsWindowEnabled(child);
    info.visible = IsWindowVisible(child);
    controls.push_back(info);
  }
  return controls;
}

std::optional<ControlInfo> FindControl(HWND parent, int id) {
  for (const ControlInfo& control : ListControls(parent)) {
    if (control.id == id) return control;
  }
  return std::nullopt;
}

void ClickControl(HWND parent, int id) {
  PostMessageW(GetDlgItem(parent, id), BM_CLICK, 0, 0);
}

void PressOnControl(HWND parent, int id) {
  HWND control = GetDlgItem(parent, id);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

HWND WaitForMessageBox(DWORD process_id, DWORD timeout_ms) {
  return WaitForWindow(process_id, L"#32770", timeout_ms);
}

std::wstring MessageBoxText(HWND box) {
  return WindowText(GetDlgItem(box, 0xFFFF));
}

bool PressMessageBoxButton(HWND box, int button_id, DWORD timeout_ms) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button_id)));
  const DWORD start = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(kPollMs);
  }
  return true;
}

bool WaitUntil(DWORD timeout_ms, bool (*condition)(void*), void* context) {
  const DWORD start = GetTickCount();
  while (!condition(context)) {
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(kPollMs);
  }
  return true;
}

bool SaveScreenshot(const std::wstring& path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store it
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((width * 3 + 3) / 4) * 4;
    const DWORD image_size = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + image_size;
    info.bmiHeader.biSizeImage = image_size;
    if (FILE* out = _wfopen(WindowsPath(path).c_str(), L"wb")) {
      saved = fwrite(&file, sizeof(file), 1, out) == 1 &&
              fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, out) == 1 &&
              fwrite(bits, image_size, 1, out) == 1;
      saved = fclose(out) == 0 && saved;
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

bool TrayIconUp(HWND window, UINT id) {
  NOTIFYICONDATAW data = TrayRecord(window, id);
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool RemoveTrayIcon(HWND window, UINT id) {
  NOTIFYICONDATAW data = TrayRecord(window, id);
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

void PostTrayMessage(HWND window, int code, UINT callback_message, UINT id) {
  PostMessageW(window, callback_message, id, code);
}

void BroadcastTaskbarCreated() {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                      SMTO_ABORTIFHUNG, 2000, &result);
}

HWND WaitForPopupMenu(DWORD process_id, DWORD timeout_ms) {
  return WaitForWindow(process_id, L"#32768", timeout_ms);
}

void PressMenuKeys(HWND menu, const std::vector<WORD>& keys) {
  for (const WORD key : keys) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
    Sleep(100);
  }
}

}  // namespace kelvo::e2e
