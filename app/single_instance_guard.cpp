#include "app/single_instance_guard.h"

#include "app/toolbox_layout.h"

namespace kelvo {
namespace {

void BringForward(System& system, WindowHandle window) {
  // A window hidden in the notification area is shown where it was.
  if (!system.windows.IsVisible(window)) system.windows.ShowKeepPlace(window, false);
  if (system.windows.IsIconic(window)) system.windows.OpenIcon(window);
  system.windows.ActivateForeign(window);
}

}  // namespace

std::string Md5Hex(System& system, const std::string& bytes, bool upper_case, bool short_form) {
  const std::optional<Md5Digest> digest = system.kernel.Md5(bytes);
  if (!digest) return {};
  const char* digits = upper_case ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string hex;
  for (const std::uint8_t byte : *digest) {
    hex += digits[byte >> 4];
    hex += digits[byte & 0xF];
  }
  return short_form ? hex.substr(8, 16) : hex;
}

WindowHandle FindRunningToolboxWindow(System& system) {
  const ProcessId self = system.processes.CurrentProcessId();
  for (WindowHandle window = system.windows.NextTopLevelWindow(0); window;
       window = system.windows.NextTopLevelWindow(window)) {
    if (system.windows.ClassName(window) != kToolboxWindowClassName) continue;
    const ProcessId owner = system.windows.OwnerProcess(window);
    if (owner != 0 && owner != self) return window;
  }
  return 0;
}

bool SingleInstanceGuard(System& system, const std::string& identity, const GuardOptions& options) {
  const std::string name = identity.empty() ? Md5Hex(system, kFallbackIdentityText) : identity;
  // Creating and asking whether it already existed is one step, so two starts at the same
  // moment cannot both go on.
  if (system.kernel.CreateNamedEvent(name) != NamedEventResult::kAlreadyExists) return true;

  if (options.on_found) options.on_found();
  if (options.show_message) {
    system.dialogs.ShowMessageBox(0, options.message_text.value_or(kGuardDefaultMessage),
                                  kGuardTitle, options.message_style.value_or(kBoxOk));
  }
  if (options.activate_running) {
    if (const WindowHandle window = FindRunningToolboxWindow(system)) BringForward(system, window);
  }
  return false;
}

}  // namespace kelvo
