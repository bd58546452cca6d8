// Time and message dispatching on the one user-interface thread.
#pragma once

#include <cstdint>

namespace kelvo {

class MessagePump {
 public:
  virtual ~MessagePump() = default;

  // Milliseconds since the system started; wraps after 49.7 days like GetTickCount.
  virtual std::uint32_t TickCount() = 0;
  // Handles every message waiting in the thread's queue, then returns.
  virtual void DispatchPending() = 0;
  // Keeps dispatching until the tick counter has passed start + ms; timer ticks and clicks run
  // inside. A time of 0 or less returns at once.
  virtual void PauseDispatching(std::int64_t ms) = 0;
  // Waits without dispatching anything.
  virtual void SleepBlocking(std::uint32_t ms) = 0;
};

}  // namespace kelvo
