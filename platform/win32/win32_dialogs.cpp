#include "platform/win32/win32_dialogs.h"

#include <windows.h>

#include <cwchar>
#include <map>
#include <utility>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace kelvo {
namespace {

// One self-closing box of this thread: the timer that ends it, and its window once created.
struct TimedBox {
  UniqueThreadTimer timer;
  UniqueHook capture_hook;
  HWND window = nullptr;
};

// Timer id -> the box it ends. Boxes nest only on one thread's stack, so thread-local state
// with no locking is enough.
thread_local std::map<UINT_PTR, TimedBox*> t_boxes;
// The box whose window is being created right now.
thread_local TimedBox* t_capturing = nullptr;

HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

bool IsMessageBoxWindow(HWND window) {
  wchar_t name[8];
  return ::GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 &&
         std::wcscmp(name, L"#32770") == 0;
}

bool IsClaimed(HWND window) {
  for (const auto& [timer, box] : t_boxes) {
    if (box->window == window) return true;
  }
  return false;
}

BOOL CALLBACK TakeUnclaimedBox(HWND window, LPARAM result) {
  if (!IsMessageBoxWindow(window) || IsClaimed(window)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

// Only needed if the hook could not be set: the newest box of this thread that no other timed
// box owns.
HWND UnclaimedBoxOfThisThread() {
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), TakeUnclaimedBox, reinterpret_cast<LPARAM>(&found));
  return found;
}

LRESULT CALLBACK CaptureBoxWindow(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && t_capturing != nullptr && t_capturing->window == nullptr) {
    const HWND window = reinterpret_cast<HWND>(wparam);
    if (IsMessageBoxWindow(window)) {
      TimedBox* box = std::exchange(t_capturing, nullptr);
      box->window = window;
      const LRESULT result = ::CallNextHookEx(nullptr, code, wparam, lparam);
      box->capture_hook.reset();  // unhooking from inside the hook is allowed
      return result;
    }
  }
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

void CALLBACK EndTimedBox(HWND, UINT, UINT_PTR timer, DWORD) {
  const auto found = t_boxes.find(timer);
  if (found == t_boxes.end()) {
    ::KillTimer(nullptr, timer);
    return;
  }
  TimedBox* box = found->second;
  t_boxes.erase(found);
  box->timer.reset();
  if (box->window == nullptr) box->window = UnclaimedBoxOfThisThread();
  if (box->window != nullptr) ::EndDialog(box->window, kAnswerTimeout);
}

}  // namespace

int Win32Dialogs::ShowMessageBox(WindowHandle owner, const std::string& text,
                                 const std::string& title, std::uint32_t style) {
  return ::MessageBoxW(ToHwnd(owner), GbkToUtf16(text).c_str(), GbkToUtf16(title).c_str(), style);
}

int Win32Dialogs::ShowTimedMessageBox(WindowHandle owner, const std::string& text,
                                      const std::string& title, std::uint32_t style,
                                      std::uint32_t timeout_ms) {
  const std::wstring wide_text = GbkToUtf16(text);
  const std::wstring wide_title = GbkToUtf16(title);

  TimedBox box;
  const UINT delay = timeout_ms > USER_TIMER_MAXIMUM ? USER_TIMER_MAXIMUM : timeout_ms;
  box.timer.reset(::SetTimer(nullptr, 0, delay, EndTimedBox));
  if (!box.timer) {
    // Without a timer the box cannot end itself; the user still can.
    return ::MessageBoxW(ToHwnd(owner), wide_text.c_str(), wide_title.c_str(), style);
  }
  const UINT_PTR timer_id = box.timer.get();
  t_boxes[timer_id] = &box;
  box.capture_hook.reset(
      ::SetWindowsHookExW(WH_CBT, CaptureBoxWindow, nullptr, ::GetCurrentThreadId()));
  TimedBox* const outer = std::exchange(t_capturing, &box);

  const int answer = ::MessageBoxW(ToHwnd(owner), wide_text.c_str(), wide_title.c_str(), style);

  t_capturing = outer;
  box.capture_hook.reset();
  // The timer may have fired, and its id been reused by a box nested in this one since.
  if (const auto found = t_boxes.find(timer_id); found != t_boxes.end() && found->second == &box) {
    t_boxes.erase(found);
  }
  box.timer.reset();
  return answer;
}

}  // namespace kelvo
