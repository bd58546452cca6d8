// Top-level windows of the desktop, read through the wide window functions.
#pragma once

#include "platform/window_system.h"

namespace kelvo {

class Win32WindowSystem final : public WindowSystem {
 public:
  WindowHandle NextTopLevelWindow(WindowHandle after) override;
  bool IsVisible(WindowHandle window) override;
  ProcessId OwnerProcess(WindowHandle window) override;
  WindowHandle Parent(WindowHandle window) override;
  std::string ClassName(WindowHandle window) override;
  std::string Title(WindowHandle window) override;
  std::uint32_t Style(WindowHandle window) override;
  std::vector<WindowHandle> TopLevelWindows() override;
  WindowHandle FindChild(WindowHandle parent, WindowHandle after, const std::string& class_name,
                         const std::string& title) override;
  void ShowMaximized(WindowHandle window) override;
  bool IsIconic(WindowHandle window) override;
  void OpenIcon(WindowHandle window) override;
  void ShowKeepPlace(WindowHandle window, bool topmost) override;
  void ActivateForeign(WindowHandle window) override;
};

}  // namespace kelvo
