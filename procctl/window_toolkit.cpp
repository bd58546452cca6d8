#include "procctl/window_toolkit.h"

#include <cstdlib>

#include "procctl/process_toolkit.h"

namespace kelvo {
namespace {

constexpr std::int64_t kOwnerSearchMs = 1000;

bool Contains(const std::string& text, const std::optional<std::string>& part) {
  return !part || text.find(*part) != std::string::npos;
}

}  // namespace

WindowHandle FindTopLevelWindow(System& system, ProcessId process, const WindowSearch& search) {
  WindowSystem& windows = system.windows;
  const std::int64_t limit =
      search.timeout_ms && *search.timeout_ms >= 0 ? *search.timeout_ms : kUnboundedSearchMs;
  const std::uint32_t start = system.pump.TickCount();
  WindowHandle window = 0;
  // The limit is checked between windows only; the walk also ends at the last window.
  while (static_cast<std::uint32_t>(system.pump.TickCount() - start) < limit) {
    const WindowHandle previous = window;
    window = windows.NextTopLevelWindow(previous);
    // A tick dispatched on the previous window may have closed it; the walk cannot go on from a
    // window that is gone, so it starts again from the top (still bounded by the limit).
    if (window == 0 && previous != 0 && windows.OwnerProcess(previous) == 0) {
      window = windows.NextTopLevelWindow(0);
    }
    if (window == 0) return 0;
    if (search.visible_only && !windows.IsVisible(window)) continue;
    if (windows.OwnerProcess(window) != process || windows.Parent(window) != 0) {
      system.pump.DispatchPending();
      continue;
    }
    if (!search.class_part && !search.title_part) return window;
    if (Contains(windows.ClassName(window), search.class_part) &&
        Contains(windows.Title(window), search.title_part)) {
      return window;
    }
    system.pump.DispatchPending();
  }
  return 0;
}

WindowHandle MainWindowOf(System& system, ProcessId process) {
  return FindTopLevelWindow(system, process, {.timeout_ms = kMainWindowSearchMs});
}

WindowHandle FindMainWindowByProcessName(System& system, const std::string& exe_name) {
  const ProcessId process = FindProcessId(system, exe_name);
  return process == 0 ? kNoSuchProcess : MainWindowOf(system, process);
}

std::string WindowTitle(System& system, WindowHandle window) {
  return system.windows.Title(window);
}

std::string WindowClassName(System& system, WindowHandle window) {
  return system.windows.ClassName(window);
}

WindowHandle FindChildWindow(System& system, WindowHandle parent, WindowHandle after,
                             const std::string& class_name, const std::string& title) {
  return system.windows.FindChild(parent, after, class_name, title);
}

std::vector<std::string> ListVisibleWindows(System& system) {
  std::vector<std::string> list;
  for (const WindowHandle window : system.windows.TopLevelWindows()) {
    if ((system.windows.Style(window) & kStyleVisible) == 0) continue;
    // Handles carry 32 significant bits, written as a signed number like "%d" does.
    list.push_back(std::to_string(static_cast<std::int32_t>(window)));
  }
  return list;
}

WindowHandle WindowFromListText(const std::string& text) {
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0') return 0;
  // Back to a handle as Windows widens one: sign-extended from 32 bits.
  return static_cast<WindowHandle>(static_cast<std::int32_t>(value));
}

int TimedMessageBox(System& system, const std::string& text, const TimedBoxOptions& options) {
  WindowHandle owner = options.owner
                           ? *options.owner
                           : FindTopLevelWindow(system, system.processes.CurrentProcessId(),
                                                {.timeout_ms = kOwnerSearchMs});
  const int answer = system.dialogs.ShowTimedMessageBox(
      owner, text, options.title.value_or(kTimedBoxDefaultTitle), options.style.value_or(kBoxOk),
      options.timeout_ms.value_or(kTimedBoxDefaultTimeoutMs));
  return answer - 1;
}

}  // namespace kelvo
