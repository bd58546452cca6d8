// Time and dispatching on the calling thread's message queue.
#pragma once

#include "platform/message_pump.h"

namespace kelvo {

class Win32MessagePump final : public MessagePump {
 public:
  std::uint32_t TickCount() override;
  // A WM_QUIT taken from the queue is posted again, so the main loop still sees it.
  void DispatchPending() override;
  // Sleeps in MsgWaitForMultipleObjectsEx until a message arrives or the time is up, so a pause
  // costs no processor time while nothing happens. A WM_QUIT met during the pause is held back
  // and posted again when the pause ends.
  void PauseDispatching(std::int64_t ms) override;
  void SleepBlocking(std::uint32_t ms) override;
};

}  // namespace kelvo
