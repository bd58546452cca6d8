// Finding windows of other programs and of the toolbox itself, and the self-closing notice.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

namespace kelvo {

inline constexpr char kTimedBoxDefaultTitle[] = "友情提醒";
inline constexpr std::uint32_t kTimedBoxDefaultTimeoutMs = 5000;
// Searches without a given time-out are bounded by a year.
inline constexpr std::int64_t kUnboundedSearchMs = 31536000;

struct WindowSearch {
  std::optional<std::string> title_part{};  // case-sensitive substring of the GBK title
  std::optional<std::string> class_part{};  // case-sensitive substring of the class name
  std::optional<std::int64_t> timeout_ms{};
  bool visible_only = true;
};

// The first top-level window in z-order of the process that is not an owned pop-up and matches
// the parts; 0 when none does. Pending messages are dispatched between rejected windows.
WindowHandle FindTopLevelWindow(System& system, ProcessId process, const WindowSearch& search = {});

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
