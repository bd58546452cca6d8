#include "platform/win32/win32_window_system.h"

#include <windows.h>

#include <vector>

#include "platform/win32/text_conversion.h"

namespace kelvo {
namespace {

HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}
WindowHandle FromHwnd(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(FromHwnd(window));
  return TRUE;
}

}  // namespace

WindowHandle Win32WindowSystem::NextTopLevelWindow(WindowHandle after) {
  return FromHwnd(::FindWindowExW(nullptr, ToHwnd(after), nullptr, nullptr));
}

bool Win32WindowSystem::IsVisible(WindowHandle window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

ProcessId Win32WindowSystem::OwnerProcess(WindowHandle window) {
  DWORD process = 0;
  if (::GetWindowThreadProcessId(ToHwnd(window), &process) == 0) return 0;
  return process;
}

WindowHandle Win32WindowSystem::Parent(WindowHandle window) {
  return FromHwnd(::GetParent(ToHwnd(window)));
}

std::string Win32WindowSystem::ClassName(WindowHandle window) {
  wchar_t name[260];
  const int length = ::GetClassNameW(ToHwnd(window), name, static_cast<int>(std::size(name)));
  if (length <= 0) return {};
  return Utf16ToGbk(std::wstring_view(name, static_cast<std::size_t>(length)));
}

std::string Win32WindowSystem::Title(WindowHandle window) {
  const HWND hwnd = ToHwnd(window);
  const int length = ::GetWindowTextLengthW(hwnd);
  if (length <= 0) return {};
  // The length may be larger than the text; the copy says how much it wrote.
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
  const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
  if (copied <= 0) return {};
  return Utf16ToGbk(std::wstring_view(text.data(), static_cast<std::size_t>(copied)));
}

std::uint32_t Win32WindowSystem::Style(WindowHandle window) {
  return static_cast<std::uint32_t>(::GetWindowLongW(ToHwnd(window), GWL_STYLE));
}

std::vector<WindowHandle> Win32WindowSystem::TopLevelWindows() {
  std::vector<WindowHandle> windows;
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

WindowHandle Win32WindowSystem::FindChild(WindowHandle parent, WindowHandle after,
                                          const std::string& class_name, const std::string& title) {
  // An empty text is no filter, which FindWindowEx spells as a null pointer.
  const std::wstring wide_class = GbkToUtf16(class_name);
  const std::wstring wide_title = GbkToUtf16(title);
  return FromHwnd(::FindWindowExW(ToHwnd(parent), ToHwnd(after),
                                  class_name.empty() ? nullptr : wide_class.c_str(),
                                  title.empty() ? nullptr : wide_title.c_str()));
}

void Win32WindowSystem::ShowMaximized(WindowHandle window) {
  ::ShowWindow(ToHwnd(window), SW_SHOWMAXIMIZED);
}

bool Win32WindowSystem::IsIconic(WindowHandle window) {
  return ::IsIconic(ToHwnd(window)) != FALSE;
}

void Win32WindowSystem::OpenIcon(WindowHandle window) {
  ::OpenIcon(ToHwnd(window));
}

void Win32WindowSystem::ShowKeepPlace(WindowHandle window, bool topmost) {
  ::SetWindowPos(ToHwnd(window), topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

// Windows lets a thread activate only windows that share its input, so the caller borrows the
// input of the window's thread for the moment of the activation. The foreground is asked for
// after the threads part again: asked for while they share their input, Wine leaves no
// foreground window at all once they part.
void Win32WindowSystem::ActivateForeign(WindowHandle window) {
  const HWND hwnd = ToHwnd(window);
  const DWORD target = ::GetWindowThreadProcessId(hwnd, nullptr);
  const DWORD caller = ::GetCurrentThreadId();
  const bool attached =
      target != 0 && target != caller && ::AttachThreadInput(target, caller, TRUE);
  ::SetActiveWindow(hwnd);
  if (attached) ::AttachThreadInput(target, caller, FALSE);
  ::SetForegroundWindow(hwnd);
}

}  // namespace kelvo
