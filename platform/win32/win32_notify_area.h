// The notification area through Shell_NotifyIconW, and the window calls the tray icon needs.
#pragma once

#include "platform/notify_area.h"

namespace kelvo {

class Win32NotifyArea final : public NotifyArea {
 public:
  std::uint32_t RegisterMessage(const std::string& name) override;
  bool Notify(NotifyAction action, const NotifyRecord& record) override;
  bool IsLiveWindow(WindowHandle window) override;
  IconHandle SmallIcon(WindowHandle window) override;
  IconHandle IconFromResource(const std::uint8_t* bytes, std::size_t size) override;
  // One procedure per process: the one the tray icon puts in front of its owner window's.
  WindowProcAddress ProcedureAddress(TrayProcedure procedure) override;
  WindowProcAddress SetWindowProcedure(WindowHandle window, WindowProcAddress procedure) override;
  std::intptr_t CallWindowProcedure(WindowProcAddress procedure, WindowHandle window,
                                    std::uint32_t message, std::uintptr_t wparam,
                                    std::intptr_t lparam) override;
  void SetProperty(WindowHandle window, const std::string& name, std::intptr_t value) override;
  std::intptr_t Property(WindowHandle window, const std::string& name) override;
  bool ClientSize(WindowHandle window, int& width, int& height) override;
  void SendAndWait(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                   std::intptr_t lparam) override;
};

}  // namespace kelvo
