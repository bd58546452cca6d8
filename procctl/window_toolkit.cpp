#include "procctl/window_toolkit.h"

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
