// 强力唤醒: brings lost 3ds Max main windows back, maximised.
#pragma once

#include "platform/system.h"

namespace kelvo {

inline constexpr char kMaxTitleMarker[] = "- Autodesk 3ds Max";
inline constexpr char kMaxWindowClass[] = "Qt5QWindowIcon";

// `max_main_window` is the main window the status monitor found at its last tick (below 1 when
// no 3ds Max runs or it had no visible main window): then the user is told "未找到进程！".
// Otherwise every visible top-level 3ds Max window whose title carries the marker is shown
// maximised and activated.
void StrongWake(System& system, WindowHandle max_main_window);

}  // namespace kelvo
