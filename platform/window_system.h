// Top-level windows of every program on the desktop.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os_result.h"

namespace kelvo {

inline constexpr std::uint32_t kStyleVisible = 0x10000000;  // WS_VISIBLE

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // The next top-level window in z-order after `after` (0 = the first); 0 after the last.
  virtual WindowHandle NextTopLevelWindow(WindowHandle after) = 0;
  virtual bool IsVisible(WindowHandle window) = 0;
  // Id of the process that owns the window; 0 for a window that is gone.
  virtual ProcessId OwnerProcess(WindowHandle window) = 0;
  // 0 for a top-level window, the owner for an owned pop-up.
  virtual WindowHandle Parent(WindowHandle window) = 0;
  // Class name, GBK, at most 259 characters.
  virtual std::string ClassName(WindowHandle window) = 0;
  // Title converted from UTF-16 to GBK; characters GBK cannot hold become its default character.
  virtual std::string Title(WindowHandle window) = 0;
  virtual std::uint32_t Style(WindowHandle window) = 0;
  // Every top-level window, visible or not, in the order EnumWindows reports them (z-order,
  // topmost first).
  virtual std::vector<WindowHandle> TopLevelWindows() = 0;
  // The next window after `after` (0 = from the first) among the children of `parent` (0 = the
  // top-level windows) whose class and title equal the given GBK texts; an empty text matches
  // any. 0 when there is none.
  virtual WindowHandle FindChild(WindowHandle parent, WindowHandle after,
                                 const std::string& class_name, const std::string& title) = 0;
  // Shows the window maximised and asks for its activation (SW_SHOWMAXIMIZED).
  virtual void ShowMaximized(WindowHandle window) = 0;
  // True for a minimised window.
  virtual bool IsIconic(WindowHandle window) = 0;
  // Restores a minimised window and activates it.
  virtual void OpenIcon(WindowHandle window) = 0;
  // Shows the window where it is and as large as it is, topmost or not.
  virtual void ShowKeepPlace(WindowHandle window, bool topmost) = 0;
  // Activates a window of another thread or process and brings it to the foreground.
  virtual void ActivateForeign(WindowHandle window) = 0;
};

}  // namespace kelvo
