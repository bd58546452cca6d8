#include "tests/support/sim/sim_windows.h"

#include <algorithm>
#include <stdexcept>

namespace kelvo::sim {

const SimWindows::Window* SimWindows::Lookup(WindowHandle window) {
  // Every call of the port passes through here: the place to charge its cost.
  if (call_cost_ms_ != 0) clock_.Advance(call_cost_ms_);
  const auto found = std::find_if(z_order_.begin(), z_order_.end(),
                                  [window](const Window& w) { return w.handle == window; });
  return found == z_order_.end() ? nullptr : &*found;
}

WindowHandle SimWindows::NextTopLevelWindow(WindowHandle after) {
  if (after == 0) {
    if (call_cost_ms_ != 0) clock_.Advance(call_cost_ms_);
    return z_order_.empty() ? 0 : z_order_.front().handle;
  }
  const Window* window = Lookup(after);
  if (!window) return 0;
  const std::size_t next = static_cast<std::size_t>(window - z_order_.data()) + 1;
  return next < z_order_.size() ? z_order_[next].handle : 0;
}

bool SimWindows::IsVisible(WindowHandle window) {
  const Window* found = Lookup(window);
  return found && found->def.visible;
}

ProcessId SimWindows::OwnerProcess(WindowHandle window) {
  const Window* found = Lookup(window);
  return found ? found->def.process : 0;
}

WindowHandle SimWindows::Parent(WindowHandle window) {
  const Window* found = Lookup(window);
  return found ? found->def.owner : 0;
}

std::string SimWindows::ClassName(WindowHandle window) {
  const Window* found = Lookup(window);
  return found ? found->def.class_name.substr(0, 259) : std::string();
}

std::string SimWindows::Title(WindowHandle window) {
  const Window* found = Lookup(window);
  return found ? found->def.title : std::string();
}

std::uint32_t SimWindows::Style(WindowHandle window) {
  const Window* found = Lookup(window);
  if (!found) return 0;
  return found->def.visible ? found->def.style | kStyleVisible : found->def.style & ~kStyleVisible;
}

std::vector<WindowHandle> SimWindows::TopLevelWindows() {
  if (call_cost_ms_ != 0) clock_.Advance(call_cost_ms_);
  return ZOrder();
}

WindowHandle SimWindows::FindChild(WindowHandle parent, WindowHandle after,
                                   const std::string& class_name, const std::string& title) {
  if (call_cost_ms_ != 0) clock_.Advance(call_cost_ms_);
  if (parent != 0) {
    auto child = children_.begin();
    if (after != 0) {
      child = std::find_if(children_.begin(), children_.end(),
                           [after](const Child& c) { return c.handle == after; });
      if (child == children_.end()) return 0;
      ++child;
    }
    child = std::find_if(child, children_.end(), [&](const Child& c) {
      return c.parent == parent && (class_name.empty() || c.class_name == class_name) &&
             title.empty();
    });
    return child == children_.end() ? 0 : child->handle;
  }
  auto from = z_order_.begin();
  if (after != 0) {
    from = std::find_if(z_order_.begin(), z_order_.end(),
                        [after](const Window& w) { return w.handle == after; });
    if (from == z_order_.end()) return 0;
    ++from;
  }
  const auto found = std::find_if(from, z_order_.end(), [&](const Window& w) {
    const bool class_matches = class_name.empty() || w.def.class_name == class_name;
    const bool title_matches = title.empty() || (!w.def.title_lossy && w.def.title == title);
    return class_matches && title_matches;
  });
  return found == z_order_.end() ? 0 : found->handle;
}

void SimWindows::ShowMaximized(WindowHandle window) {
  maximise_calls_.push_back(window);
  for (Window& w : z_order_) {
    if (w.handle != window) continue;
    w.def.visible = true;
    w.def.minimised = false;
    w.def.maximised = true;
  }
  Raise(window);
}

bool SimWindows::IsIconic(WindowHandle window) {
  const Window* found = Lookup(window);
  return found && found->def.minimised;
}

void SimWindows::OpenIcon(WindowHandle window) {
  if (!Lookup(window)) return;
  for (Window& w : z_order_) {
    if (w.handle == window) w.def.minimised = false;
  }
  Raise(window);
  active_ = window;
}

void SimWindows::ShowKeepPlace(WindowHandle window, bool) {
  SetVisible(window, true);
}

void SimWindows::ActivateForeign(WindowHandle window) {
  if (!Lookup(window)) return;
  Raise(window);
  active_ = window;
}

WindowHandle SimWindows::AddChild(WindowHandle parent, const std::string& class_name) {
  const WindowHandle handle = next_handle_;
  next_handle_ += 0x0A06;
  children_.push_back({handle, parent, class_name});
  return handle;
}

WindowHandle SimWindows::Make(const WindowDef& def, bool on_top) {
  if (def.owner != 0 && !Exists(def.owner)) {
    throw std::invalid_argument("the owner window does not exist");
  }
  const WindowHandle handle = next_handle_;
  next_handle_ += 0x0A06;  // handles are opaque; tests must not count on their values
  const Window window{handle, def};
  z_order_.insert(on_top ? z_order_.begin() : z_order_.end(), window);
  return handle;
}

WindowHandle SimWindows::Add(const WindowDef& def) {
  return Make(def, /*on_top=*/true);
}

WindowHandle SimWindows::AddBehind(const WindowDef& def) {
  return Make(def, /*on_top=*/false);
}

void SimWindows::Remove(WindowHandle window) {
  std::vector<WindowHandle> owned;
  for (const Window& w : z_order_) {
    if (w.def.owner == window) owned.push_back(w.handle);
  }
  std::erase_if(z_order_, [window](const Window& w) { return w.handle == window; });
  for (const WindowHandle handle : owned)
    Remove(handle);
}

void SimWindows::RemoveWindowsOf(ProcessId process) {
  std::vector<WindowHandle> doomed;
  for (const Window& w : z_order_) {
    if (w.def.process == process) doomed.push_back(w.handle);
  }
  for (const WindowHandle handle : doomed)
    Remove(handle);
}

void SimWindows::Raise(WindowHandle window) {
  const auto found = std::find_if(z_order_.begin(), z_order_.end(),
                                  [window](const Window& w) { return w.handle == window; });
  if (found != z_order_.end()) std::rotate(z_order_.begin(), found, found + 1);
}

void SimWindows::SetVisible(WindowHandle window, bool visible) {
  for (Window& w : z_order_) {
    if (w.handle == window) w.def.visible = visible;
  }
}

bool SimWindows::Exists(WindowHandle window) const {
  return std::any_of(z_order_.begin(), z_order_.end(),
                     [window](const Window& w) { return w.handle == window; }) ||
         std::any_of(children_.begin(), children_.end(),
                     [window](const Child& c) { return c.handle == window; });
}

std::vector<WindowHandle> SimWindows::ZOrder() const {
  std::vector<WindowHandle> handles;
  for (const Window& w : z_order_)
    handles.push_back(w.handle);
  return handles;
}

bool SimWindows::IsMinimised(WindowHandle window) const {
  return std::any_of(z_order_.begin(), z_order_.end(),
                     [window](const Window& w) { return w.handle == window && w.def.minimised; });
}

bool SimWindows::IsMaximised(WindowHandle window) const {
  return std::any_of(z_order_.begin(), z_order_.end(),
                     [window](const Window& w) { return w.handle == window && w.def.maximised; });
}

}  // namespace kelvo::sim
