#include "platform/plain_message_box.h"

namespace kelvo {

int PlainMessageBox(System& system, const std::string& text, std::uint32_t style,
                    const std::optional<std::string>& title) {
  if ((style & kBoxSystemModal) == 0) style |= kBoxTaskModal;
  return system.dialogs.ShowMessageBox(0, text, title.value_or(kPlainBoxDefaultTitle), style);
}

}  // namespace kelvo
