// Finding windows of other programs and of the toolbox itself, and the self-closing notice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace kelvo {

inline constexpr char kTimedBoxDefaultTitle[] = "友情提醒";
inline constexpr std::uint32_t kTimedBoxDefaultTimeoutMs = 5000;
// Searches without a given time-out are bounded by a year.
inline constexpr std::int64_t kUnboundedSearchMs = 31536000;
// The main-window lookup runs on every status tick, so it is kept short.
inline constexpr std::int64_t kMainWindowSearchMs = 100;
// FindMainWindowByProcessName's answer when no process has the name.
inline constexpr WindowHandle kNoSuchProcess = -1;

struct WindowSearch {
  std::optional<std::string> title_part{};  // case-sensitive substring of the GBK title
  std::optional<std::string> class_part{};  // case-sensitive substring of the class name
  std::optional<std::int64_t> timeout_ms{};
  bool visible_only = true;
};

// The first top-level window in z-order of the process that is not an owned pop-up and matches
// the parts; 0 when none does. Pending messages are dispatched between rejected windows.
WindowHandle FindTopLevelWindow(System& system, ProcessId process, const WindowSearch& search = {});

// The main window of a process: its first visible top-level window in z-order that is not an
// owned pop-up, searched for at most 100 ms; 0 when there is none. Dispatches like the search.
WindowHandle MainWindowOf(System& system, ProcessId process);
// The main window of the first process named `exe_name` (letters without case); 0 when that
// process has no main window, -1 when no process has the name.
WindowHandle FindMainWindowByProcessName(System& system, const std::string& exe_name);

// The title as GBK (characters GBK cannot hold become its default character); "" for none.
std::string WindowTitle(System& system, WindowHandle window);
std::string WindowClassName(System& system, WindowHandle window);

// The next child of `parent` (0 = the top-level windows) after `after` (0 = from the first)
// whose class name and title equal the given texts; an empty text matches any. 0 when none.
WindowHandle FindChildWindow(System& system, WindowHandle parent, WindowHandle after,
                             const std::string& class_name, const std::string& title);

// Every visible top-level window (a minimised one counts) in z-order, topmost first, each as
// the decimal text of its handle; empty when there is none.
std::vector<std::string> ListVisibleWindows(System& system);
// A handle back from its text in the window list; 0 for a text that is not a number.
WindowHandle WindowFromListText(const std::string& text);

struct TimedBoxOptions {
  std::optional<std::uint32_t> style{};       // default kBoxOk
  std::optional<std::string> title{};         // default "友情提醒"
  std::optional<WindowHandle> owner{};        // default: the program's own main window, if visible
  std::optional<std::uint32_t> timeout_ms{};  // default 5000 ms
};

// Shows a notice that blocks its caller (not the dispatching) until the user or the time-out
// closes it. Answers the Windows result minus 1.
int TimedMessageBox(System& system, const std::string& text, const TimedBoxOptions& options = {});

}  // namespace kelvo
