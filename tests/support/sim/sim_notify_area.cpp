#include "tests/support/sim/sim_notify_area.h"

#include <algorithm>

namespace kelvo::sim {
namespace {

// RegisterWindowMessage hands out ids from 0xC000 on.
constexpr std::uint32_t kFirstRegisteredMessage = 0xC000;

}  // namespace

std::uint32_t SimNotifyArea::RegisterMessage(const std::string& name) {
  const auto [entry, added] = messages_.try_emplace(
      name, kFirstRegisteredMessage + static_cast<std::uint32_t>(messages_.size()));
  return entry->second;
}

bool SimNotifyArea::Notify(NotifyAction action, const NotifyRecord& record) {
  const auto key = std::make_pair(record.hWnd, record.uID);
  const bool up = icons_.contains(key);
  bool accepted = false;
  if (shell_running_) {
    switch (action) {
      case NotifyAction::kAdd:
        accepted = !up;
        if (accepted) icons_[key] = record;
        break;
      case NotifyAction::kModify:
        accepted = up;
        if (accepted) icons_[key] = record;
        break;
      case NotifyAction::kDelete:
        accepted = up;
        icons_.erase(key);
        break;
    }
  }
  notify_calls_.push_back({action, record, accepted});
  return accepted;
}

const NotifyRecord* SimNotifyArea::Icon(WindowHandle window, std::uint32_t id) const {
  const auto found = icons_.find({window, id});
  return found == icons_.end() ? nullptr : &found->second;
}

bool SimNotifyArea::IsLiveWindow(WindowHandle window) {
  return window != 0 && windows_.Exists(window);
}

IconHandle SimNotifyArea::SmallIcon(WindowHandle window) {
  const auto found = small_icons_.find(window);
  return found == small_icons_.end() ? 0 : found->second;
}

IconHandle SimNotifyArea::IconFromResource(const std::uint8_t* bytes, std::size_t size) {
  icon_images_.emplace_back(bytes, bytes + size);
  const bool bitmap =
      size >= 40 && bytes[0] == 40 && bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0;
  const bool png =
      size >= 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
  if (!bitmap && !png) return 0;
  return next_icon_++;
}

WindowProcAddress SimNotifyArea::AddProcedure(Procedure procedure) {
  const WindowProcAddress address = next_procedure_;
  next_procedure_ += 0x10;
  procedures_[address] = std::move(procedure);
  return address;
}

WindowProcAddress SimNotifyArea::ProcedureAddress(TrayProcedure procedure) {
  const auto found = tray_procedures_.find(procedure);
  if (found != tray_procedures_.end()) return found->second;
  const WindowProcAddress address =
      AddProcedure([this, procedure](WindowHandle window, std::uint32_t message,
                                     std::uintptr_t wparam, std::intptr_t lparam) {
        return procedure(*this, window, message, wparam, lparam);
      });
  tray_procedures_[procedure] = address;
  return address;
}

WindowProcAddress SimNotifyArea::SetWindowProcedure(WindowHandle window,
                                                    WindowProcAddress procedure) {
  if (!IsLiveWindow(window)) return 0;
  return std::exchange(window_procedures_[window], procedure);
}

WindowProcAddress SimNotifyArea::ProcedureOf(WindowHandle window) const {
  const auto found = window_procedures_.find(window);
  return found == window_procedures_.end() ? 0 : found->second;
}

std::intptr_t SimNotifyArea::CallWindowProcedure(WindowProcAddress procedure, WindowHandle window,
                                                 std::uint32_t message, std::uintptr_t wparam,
                                                 std::intptr_t lparam) {
  const auto found = procedures_.find(procedure);
  if (found == procedures_.end()) return 0;  // DefWindowProc: nothing the tests look at
  return found->second(window, message, wparam, lparam);
}

std::intptr_t SimNotifyArea::Deliver(WindowHandle window, std::uint32_t message,
                                     std::uintptr_t wparam, std::intptr_t lparam) {
  return CallWindowProcedure(ProcedureOf(window), window, message, wparam, lparam);
}

void SimNotifyArea::SetProperty(WindowHandle window, const std::string& name, std::intptr_t value) {
  if (IsLiveWindow(window)) properties_[{window, name}] = value;
}

std::intptr_t SimNotifyArea::Property(WindowHandle window, const std::string& name) {
  const auto found = properties_.find({window, name});
  return found == properties_.end() ? 0 : found->second;
}

bool SimNotifyArea::ClientSize(WindowHandle window, int& width, int& height) {
  if (!IsLiveWindow(window)) return false;
  const auto found = client_sizes_.find(window);
  width = found == client_sizes_.end() ? 0 : found->second.first;
  height = found == client_sizes_.end() ? 0 : found->second.second;
  return true;
}

void SimNotifyArea::SendAndWait(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                                std::intptr_t lparam) {
  sent_.push_back({window, message, wparam, lparam});
}

}  // namespace kelvo::sim
