// The desktop's top-level windows in z-order, topmost first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "tests/support/sim/sim_clock.h"

namespace kelvo::sim {

struct WindowDef {
  ProcessId process = 0;
  WindowHandle owner = 0;  // non-zero for an owned pop-up such as a dialog
  std::string class_name{};
  std::string title{};  // GBK
  bool visible = true;
  std::uint32_t style = 0;  // further style bits; kStyleVisible follows `visible`
  bool minimised = false;
  bool maximised = false;
  // The real title holds characters GBK cannot hold: `title` is what reading it gives (with the
  // conversion's default character), and a search for that text does not find the window.
  bool title_lossy = false;
};

class SimWindows : public WindowSystem {
 public:
  explicit SimWindows(SimClock& clock) : clock_(clock) {}

  // WindowSystem. Calls on a window that is gone answer 0, "" or false; so does
  // NextTopLevelWindow after a window that is gone, as FindWindowEx does.
  WindowHandle NextTopLevelWindow(WindowHandle after) override;
  bool IsVisible(WindowHandle window) override;
  ProcessId OwnerProcess(WindowHandle window) override;
  WindowHandle Parent(WindowHandle window) override;
  std::string ClassName(WindowHandle window) override;
  std::string Title(WindowHandle window) override;
  std::uint32_t Style(WindowHandle window) override;
  std::vector<WindowHandle> TopLevelWindows() override;
  // Among the top-level windows (parent 0) or the children added with AddChild.
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const std::string& class_name,
                         const std::string& title) override;
  // Every call is recorded, also those for 0 or a window that is gone, which change nothing. The
  // window becomes visible, maximised rather than minimised, and comes to the top.
  void ShowMaximized(WindowHandle window) override;
  bool IsIconic(WindowHandle window) override;
  // The window is no longer minimised, comes to the top and becomes the active window.
  void OpenIcon(WindowHandle window) override;
  // The window becomes visible; its place in z-order, size and state stay.
  void ShowKeepPlace(WindowHandle window, bool topmost) override;
  // The window comes to the top and becomes the active window; a window that is gone, nothing.
  void ActivateForeign(WindowHandle window) override;

  // Test side. A new window opens on top of all others; AddBehind puts it below all others,
  // which builds a desktop from the top down.
  WindowHandle Add(const WindowDef& def);
  WindowHandle AddBehind(const WindowDef& def);
  // A child window of a top-level window or of another child (the shell's notification area).
  WindowHandle AddChild(WindowHandle parent, const std::string& class_name);
  // The window that ActivateForeign or OpenIcon activated last; 0 before.
  WindowHandle active_window() const { return active_; }
  // The window is destroyed, and the windows it owns with it.
  void Remove(WindowHandle window);
  // Every window of the process, as when it exits.
  void RemoveWindowsOf(ProcessId process);
  void Raise(WindowHandle window);
  void SetVisible(WindowHandle window, bool visible);
  bool Exists(WindowHandle window) const;
  // Topmost first.
  std::vector<WindowHandle> ZOrder() const;
  bool IsMinimised(WindowHandle window) const;
  bool IsMaximised(WindowHandle window) const;
  // The windows passed to ShowMaximized, in call order.
  const std::vector<WindowHandle>& maximise_calls() const { return maximise_calls_; }
  // Each call of the port takes this many virtual milliseconds (0 by default).
  void SetCallCost(std::uint32_t ms) { call_cost_ms_ = ms; }

 private:
  struct Window {
    WindowHandle handle = 0;
    WindowDef def;
  };
  const Window* Lookup(WindowHandle window);
  WindowHandle Make(const WindowDef& def, bool on_top);

  SimClock& clock_;
  std::vector<Window> z_order_;
  struct Child {
    WindowHandle handle = 0;
    WindowHandle parent = 0;
    std::string class_name;
  };
  std::vector<Child> children_;
  WindowHandle active_ = 0;
  WindowHandle next_handle_ = 0x000A0012;
  std::uint32_t call_cost_ms_ = 0;
  std::vector<WindowHandle> maximise_calls_;
};

}  // namespace kelvo::sim
