// Message boxes through MessageBoxW.
#pragma once

#include "platform/dialogs.h"

namespace kelvo {

class Win32Dialogs final : public Dialogs {
 public:
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& title,
                     std::uint32_t style) override;
  // MessageBoxTimeout is undocumented on Windows and ignores its time-out under Wine, so the box
  // is an ordinary MessageBoxW ended by a thread timer of its own. The box is recognised while it
  // is created (a thread-local CBT hook), so when a timer handler opens a second timed box while
  // one is up, each timer ends its own box and never the other.
  int ShowTimedMessageBox(WindowHandle owner, const std::string& text, const std::string& title,
                          std::uint32_t style, std::uint32_t timeout_ms) override;
};

}  // namespace kelvo
