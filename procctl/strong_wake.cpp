#include "procctl/strong_wake.h"

#include <string>

#include "platform/plain_message_box.h"
#include "procctl/window_toolkit.h"

namespace kelvo {

void StrongWake(System& system, WindowHandle max_main_window) {
  if (max_main_window < 1) {
    PlainMessageBox(system, "未找到进程！", kBoxOk, "错误");
    return;
  }
  for (const std::string& text : ListVisibleWindows(system)) {
    const WindowHandle window = WindowFromListText(text);
    const std::string title = WindowTitle(system, window);
    if (title.find(kMaxTitleMarker) == std::string::npos) continue;
    // A listed 3ds Max window is maximised itself, not looked up again by its title: two
    // instances often share a title (two untitled scenes), and a title GBK cannot hold does not
    // survive the search.
    if (WindowClassName(system, window) == kMaxWindowClass) {
      system.windows.ShowMaximized(window);
      continue;
    }
    // Another program's window with a 3ds Max title: a 3ds Max window of the same title, if
    // there is one, is the one meant.
    const WindowHandle max_window = FindChildWindow(system, 0, 0, kMaxWindowClass, title);
    if (max_window != 0) system.windows.ShowMaximized(max_window);
  }
}

}  // namespace kelvo
