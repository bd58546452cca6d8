// The shell's notification area and the window procedures and properties of the simulated
// desktop's windows.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/notify_area.h"
#include "tests/support/sim/sim_windows.h"

namespace kelvo::sim {

class SimNotifyArea : public NotifyArea {
 public:
  explicit SimNotifyArea(SimWindows& windows) : windows_(windows) {}

  // NotifyArea. The shell keeps one icon per window and id: adding one that is up fails, and so
  // do changing and removing one that is not.
  std::uint32_t RegisterMessage(const std::string& name) override;
  bool Notify(NotifyAction action, const NotifyRecord& record) override;
  bool IsLiveWindow(WindowHandle window) override;
  IconHandle SmallIcon(WindowHandle window) override;
  // Accepts an image that starts like a bitmap icon image (a 40-byte header) or a PNG.
  IconHandle IconFromResource(const std::uint8_t* bytes, std::size_t size) override;
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

  // Test side.
  using Procedure = std::function<std::intptr_t(WindowHandle window, std::uint32_t message,
                                                std::uintptr_t wparam, std::intptr_t lparam)>;
  // A procedure of the test's own (a window's own message handling); its address.
  WindowProcAddress AddProcedure(Procedure procedure);
  WindowProcAddress ProcedureOf(WindowHandle window) const;
  // What Windows does when a message is sent to the window: its current procedure runs.
  std::intptr_t Deliver(WindowHandle window, std::uint32_t message, std::uintptr_t wparam = 0,
                        std::intptr_t lparam = 0);
  void SetSmallIcon(WindowHandle window, IconHandle icon) { small_icons_[window] = icon; }
  void SetClientSize(WindowHandle window, int width, int height) {
    client_sizes_[window] = {width, height};
  }
  // No shell: every Notify fails. Restarting the shell loses every icon.
  void SetShellRunning(bool running) { shell_running_ = running; }
  void RestartShell() { icons_.clear(); }

  struct NotifyCall {
    NotifyAction action;
    NotifyRecord record;
    bool accepted;
  };
  const std::vector<NotifyCall>& notify_calls() const { return notify_calls_; }
  // The record of the icon the shell shows for the window and id; nullptr when none is up.
  const NotifyRecord* Icon(WindowHandle window, std::uint32_t id) const;
  std::size_t IconCount() const { return icons_.size(); }
  struct SentMessage {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wparam;
    std::intptr_t lparam;
  };
  const std::vector<SentMessage>& sent() const { return sent_; }
  // The bytes of every image IconFromResource was given.
  const std::vector<std::vector<std::uint8_t>>& icon_images() const { return icon_images_; }

 private:
  SimWindows& windows_;
  bool shell_running_ = true;
  std::map<std::string, std::uint32_t> messages_;
  std::map<std::pair<WindowHandle, std::uint32_t>, NotifyRecord> icons_;
  std::vector<NotifyCall> notify_calls_;
  std::map<WindowHandle, IconHandle> small_icons_;
  std::map<WindowProcAddress, Procedure> procedures_;
  std::map<TrayProcedure, WindowProcAddress> tray_procedures_;
  std::map<WindowHandle, WindowProcAddress> window_procedures_;
  std::map<std::pair<WindowHandle, std::string>, std::intptr_t> properties_;
  std::map<WindowHandle, std::pair<int, int>> client_sizes_;
  std::vector<SentMessage> sent_;
  std::vector<std::vector<std::uint8_t>> icon_images_;
  WindowProcAddress next_procedure_ = 0x00401000;
  IconHandle next_icon_ = 0x00050001;
};

}  // namespace kelvo::sim
