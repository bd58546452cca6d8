#include "platform/win32/win32_notify_area.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/text_conversion.h"

namespace kelvo {
namespace {

// A hung shell must not hang the program for longer than this per message.
constexpr UINT kSendTimeoutMs = 1000;

TrayProcedure g_procedure = nullptr;
NotifyArea* g_area = nullptr;

LRESULT CALLBACK RunTrayProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!g_procedure || !g_area) return ::DefWindowProcW(window, message, wparam, lparam);
  return g_procedure(*g_area, reinterpret_cast<WindowHandle>(window), message, wparam, lparam);
}

HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

// The GBK text into a wide buffer of the shell's record, cut to the buffer and terminated.
template <std::size_t N, std::size_t M>
void CopyWide(wchar_t (&target)[N], const std::array<char, M>& gbk) {
  const std::wstring wide = GbkToUtf16(std::string(gbk.data()));
  const std::size_t length = std::min(std::wcslen(wide.c_str()), N - 1);
  std::copy_n(wide.c_str(), length, target);
  target[length] = L'\0';
}

}  // namespace

std::uint32_t Win32NotifyArea::RegisterMessage(const std::string& name) {
  return ::RegisterWindowMessageW(GbkToUtf16(name).c_str());
}

bool Win32NotifyArea::Notify(NotifyAction action, const NotifyRecord& record) {
  NOTIFYICONDATAW data{};
  // The form with balloon fields and without a GUID, whatever the headers' newest form is.
  data.cbSize = NOTIFYICONDATAW_V2_SIZE;
  data.hWnd = ToHwnd(record.hWnd);
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.hIcon);
  CopyWide(data.szTip, record.szTip);
  data.dwState = record.dwState;
  data.dwStateMask = record.dwStateMask;
  CopyWide(data.szInfo, record.szInfo);
  data.uTimeout = record.uTimeout;
  CopyWide(data.szInfoTitle, record.szInfoTitle);
  data.dwInfoFlags = record.dwInfoFlags;
  return ::Shell_NotifyIconW(static_cast<DWORD>(action), &data) != FALSE;
}

bool Win32NotifyArea::IsLiveWindow(WindowHandle window) {
  return ::IsWindow(ToHwnd(window)) != FALSE;
}

IconHandle Win32NotifyArea::SmallIcon(WindowHandle window) {
  return static_cast<IconHandle>(::SendMessageW(ToHwnd(window), WM_GETICON, ICON_SMALL, 0));
}

IconHandle Win32NotifyArea::IconFromResource(const std::uint8_t* bytes, std::size_t size) {
  // The icon format of Windows 3.0 and later; Windows reads the bytes and does not keep them.
  return reinterpret_cast<IconHandle>(::CreateIconFromResource(
      const_cast<PBYTE>(bytes), static_cast<DWORD>(size), TRUE, 0x00030000));
}

WindowProcAddress Win32NotifyArea::ProcedureAddress(TrayProcedure procedure) {
  g_procedure = procedure;
  g_area = this;
  return reinterpret_cast<WindowProcAddress>(&RunTrayProcedure);
}

WindowProcAddress Win32NotifyArea::SetWindowProcedure(WindowHandle window,
                                                      WindowProcAddress procedure) {
  return static_cast<WindowProcAddress>(
      ::SetWindowLongPtrW(ToHwnd(window), GWLP_WNDPROC, static_cast<LONG_PTR>(procedure)));
}

std::intptr_t Win32NotifyArea::CallWindowProcedure(WindowProcAddress procedure, WindowHandle window,
                                                   std::uint32_t message, std::uintptr_t wparam,
                                                   std::intptr_t lparam) {
  if (!procedure) return ::DefWindowProcW(ToHwnd(window), message, wparam, lparam);
  return ::CallWindowProcW(reinterpret_cast<WNDPROC>(procedure), ToHwnd(window), message, wparam,
                           lparam);
}

void Win32NotifyArea::SetProperty(WindowHandle window, const std::string& name,
                                  std::intptr_t value) {
  ::SetPropW(ToHwnd(window), GbkToUtf16(name).c_str(), reinterpret_cast<HANDLE>(value));
}

std::intptr_t Win32NotifyArea::Property(WindowHandle window, const std::string& name) {
  return reinterpret_cast<std::intptr_t>(::GetPropW(ToHwnd(window), GbkToUtf16(name).c_str()));
}

bool Win32NotifyArea::ClientSize(WindowHandle window, int& width, int& height) {
  RECT client{};
  if (!::GetClientRect(ToHwnd(window), &client)) return false;
  width = client.right - client.left;
  height = client.bottom - client.top;
  return true;
}

void Win32NotifyArea::SendAndWait(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                  std::intptr_t lparam) {
  DWORD_PTR result = 0;
  ::SendMessageTimeoutW(ToHwnd(window), message, wparam, lparam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &result);
}

}  // namespace kelvo
