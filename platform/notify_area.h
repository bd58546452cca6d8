// The notification area: icons put up for a window, the shell's messages for them, and the
// window-procedure and property calls the tray icon needs to turn those messages into calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os_result.h"

namespace kelvo {

using IconHandle = std::intptr_t;         // 0 = no icon
using WindowProcAddress = std::intptr_t;  // a window procedure as Windows stores it; 0 = none

// The shell's notification record with balloon fields and without a GUID (version 2). The texts
// are GBK and zero-terminated, so each holds one byte less than its buffer. The adapter hands the
// shell the wide form of this record, with the size of that form.
struct NotifyRecord {
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  std::array<char, 128> szTip{};
  std::uint32_t dwState = 0;
  std::uint32_t dwStateMask = 0;
  std::array<char, 256> szInfo{};
  std::uint32_t uTimeout = 0;
  std::array<char, 64> szInfoTitle{};
  std::uint32_t dwInfoFlags = 0;
};

// Shell_NotifyIcon's messages.
enum class NotifyAction : std::uint32_t { kAdd = 0, kModify = 1, kDelete = 2 };

class NotifyArea;
// A window procedure written over this port; the adapter runs it for windows given its address.
using TrayProcedure = std::intptr_t (*)(NotifyArea& area, WindowHandle window,
                                        std::uint32_t message, std::uintptr_t wparam,
                                        std::intptr_t lparam);

class NotifyArea {
 public:
  virtual ~NotifyArea() = default;

  // The same id in every process for the same name.
  virtual std::uint32_t RegisterMessage(const std::string& name) = 0;
  // False when the shell refused the record or no shell runs.
  virtual bool Notify(NotifyAction action, const NotifyRecord& record) = 0;
  virtual bool IsLiveWindow(WindowHandle window) = 0;
  // The icon the window shows in its title bar (WM_GETICON, ICON_SMALL); 0 when it has none.
  virtual IconHandle SmallIcon(WindowHandle window) = 0;
  // An icon built from one image of an icon file (CreateIconFromResource); 0 when the bytes are
  // not an image Windows can use. The icon lives until the process ends.
  virtual IconHandle IconFromResource(const std::uint8_t* bytes, std::size_t size) = 0;

  // The address under which windows reach `procedure`.
  virtual WindowProcAddress ProcedureAddress(TrayProcedure procedure) = 0;
  // Replaces the window's procedure; answers the one it had (0 for a window that is gone).
  virtual WindowProcAddress SetWindowProcedure(WindowHandle window,
                                               WindowProcAddress procedure) = 0;
  // Hands a message on to a saved procedure (CallWindowProc).
  virtual std::intptr_t CallWindowProcedure(WindowProcAddress procedure, WindowHandle window,
                                            std::uint32_t message, std::uintptr_t wparam,
                                            std::intptr_t lparam) = 0;
  // Named values kept on a window; 0 for a name that was never set.
  virtual void SetProperty(WindowHandle window, const std::string& name, std::intptr_t value) = 0;
  virtual std::intptr_t Property(WindowHandle window, const std::string& name) = 0;

  // Width and height of the window's client area; false for a window that is gone.
  virtual bool ClientSize(WindowHandle window, int& width, int& height) = 0;
  // Sends a message and waits until the window has handled it (or its thread is hung).
  virtual void SendAndWait(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                           std::intptr_t lparam) = 0;
};

}  // namespace kelvo
