// Keeps a second copy of the program from running. The first copy holds a named event for its
// whole life; a later start finds it, brings the running copy's window forward and ends.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/system.h"

namespace kelvo {

inline constexpr char kGuardDefaultMessage[] = "对不起,该进程已打开!";
inline constexpr char kGuardTitle[] = "友情提醒:";
// An empty identity is replaced by the MD5 of this text, so that two programs that both pass an
// empty identity still exclude each other.
inline constexpr char kFallbackIdentityText[] = "你懒得输入，我就写死，略略";

struct GuardOptions {
  bool show_message = false;
  std::optional<std::string> message_text{};     // default kGuardDefaultMessage
  std::optional<std::uint32_t> message_style{};  // default kBoxOk
  bool activate_running = true;
  std::function<void()> on_found{};  // runs first when another copy runs
};

// True when no other copy runs: the event is now held by this process. False when another copy
// runs; its window has then been brought forward as asked, and the caller ends the process
// without a word.
bool SingleInstanceGuard(System& system, const std::string& identity,
                         const GuardOptions& options = {});

// The toolbox window of a running copy: a top-level window of the toolbox's class that belongs
// to another process, whether it is visible, minimised or hidden; 0 when there is none.
WindowHandle FindRunningToolboxWindow(System& system);

// MD5 of the bytes as 32 hexadecimal digits (upper case on request), or the 16 from the 9th on
// with `short_form`; "" when the system's cryptography fails.
std::string Md5Hex(System& system, const std::string& bytes, bool upper_case = false,
                   bool short_form = false);

}  // namespace kelvo
