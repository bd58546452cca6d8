#include "platform/win32/win32_message_pump.h"

#include <windows.h>

#include <algorithm>
#include <optional>

namespace kelvo {
namespace {

// Dispatches until the queue is empty. A WM_QUIT is handed to the caller instead; once taken,
// Windows does not produce it again, so the rest of the queue (paint, timers) still gets handled.
void DispatchQueue(std::optional<WPARAM>& quit) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      quit = message.wParam;
      continue;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

void PostQuitAgain(const std::optional<WPARAM>& quit) {
  if (quit) ::PostQuitMessage(static_cast<int>(*quit));
}

}  // namespace

std::uint32_t Win32MessagePump::TickCount() {
  return ::GetTickCount();
}

void Win32MessagePump::DispatchPending() {
  std::optional<WPARAM> quit;
  DispatchQueue(quit);
  PostQuitAgain(quit);
}

void Win32MessagePump::PauseDispatching(std::int64_t ms) {
  if (ms <= 0) return;
  const std::uint64_t duration = static_cast<std::uint64_t>(ms);
  // Elapsed time is summed from tick differences, so the 49.7-day wrap of the counter and
  // pauses longer than that are both fine.
  std::uint64_t elapsed = 0;
  DWORD last = ::GetTickCount();
  std::optional<WPARAM> quit;
  for (;;) {
    // A WM_QUIT taken here is held, not posted again, until the pause ends.
    DispatchQueue(quit);
    const DWORD now = ::GetTickCount();
    elapsed += static_cast<DWORD>(now - last);
    last = now;
    if (elapsed > duration) break;
    const std::uint64_t remaining = duration - elapsed + 1;
    const DWORD wait = static_cast<DWORD>(std::min<std::uint64_t>(remaining, INFINITE - 1));
    ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  PostQuitAgain(quit);
}

void Win32MessagePump::SleepBlocking(std::uint32_t ms) {
  ::Sleep(ms);
}

}  // namespace kelvo
