// The plain message box every operation uses to tell the user what happened.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/system.h"

namespace kelvo {

inline constexpr char kPlainBoxDefaultTitle[] = "信息：";

// No owner window, task-modal unless the style asks for system-modal; "信息：" when no title is
// given. Answers the button that closed it (kAnswerYes, kAnswerNo, kAnswerOk).
int PlainMessageBox(System& system, const std::string& text, std::uint32_t style = kBoxOk,
                    const std::optional<std::string>& title = std::nullopt);

}  // namespace kelvo
