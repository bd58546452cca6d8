// Message boxes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/os_result.h"

namespace kelvo {

// Message box styles and answers, as Windows numbers them.
inline constexpr std::uint32_t kBoxOk = 0x0;
inline constexpr std::uint32_t kBoxYesNo = 0x4;
inline constexpr std::uint32_t kBoxIconError = 0x10;
inline constexpr std::uint32_t kBoxIconQuestion = 0x20;
inline constexpr std::uint32_t kBoxIconExclamation = 0x30;
inline constexpr std::uint32_t kBoxIconInformation = 0x40;
inline constexpr std::uint32_t kBoxSystemModal = 0x1000;
inline constexpr std::uint32_t kBoxTaskModal = 0x2000;

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerTimeout = 32000;

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal message box; answers the button that closed it.
  virtual int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& title,
                             std::uint32_t style) = 0;
  // A modal message box that closes itself after timeout_ms (answering kAnswerTimeout).
  // Messages keep being dispatched while it is up.
  virtual int ShowTimedMessageBox(WindowHandle owner, const std::string& text,
                                  const std::string& title, std::uint32_t style,
                                  std::uint32_t timeout_ms) = 0;
};

}  // namespace kelvo
