// Top-level windows of every program on the desktop.
#pragma once

#include <cstdint>
#include <string>

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
};

}  // namespace kelvo
