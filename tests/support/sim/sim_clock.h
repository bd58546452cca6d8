// The simulated user-interface thread: a virtual millisecond clock, the thread's timers, posted
// messages and events of the outside world. Nothing here waits for real time.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>

#include "platform/message_pump.h"

namespace kelvo::sim {

using TimerId = int;

class SimClock : public MessagePump {
 public:
  explicit SimClock(std::uint32_t start_tick);
  SimClock(const SimClock&) = delete;
  SimClock& operator=(const SimClock&) = delete;

  // MessagePump.
  std::uint32_t TickCount() override;
  // Runs the posted callbacks, then one tick of every timer that is due, earliest first (posted
  // messages come before WM_TIMER in Windows too); repeats until nothing is waiting.
  void DispatchPending() override;
  // Moves time to start + ms, stopping at every due timer and outside event on the way, so each
  // tick runs at its own time. Timers due exactly at start + ms still run.
  void PauseDispatching(std::int64_t ms) override;
  // Moves time on without dispatching; outside events still happen. Timers that fell due
  // meanwhile tick once at the next dispatch.
  void SleepBlocking(std::uint32_t ms) override;

  // A timer of the thread, like SetTimer on a window: it first falls due period_ms from now. A
  // tick that is not dispatched in time is not repeated: the timer stays on its cadence and
  // ticks at most once per dispatch, never piling up. As in Windows, a tick whose callback
  // pauses with dispatching may see the same timer tick again inside it.
  TimerId AddTimer(std::uint32_t period_ms, std::function<void()> callback);
  void KillTimer(TimerId id);
  // Like SetTimer again with the same id: the timer restarts from now. 0 stops it.
  void SetTimerPeriod(TimerId id, std::uint32_t period_ms);
  std::uint32_t TimerPeriod(TimerId id) const;

  // A message for the thread (a click, a tray notification): runs at the next dispatch.
  void Post(std::function<void()> callback);
  // Something that happens outside the program at a given time (a process exits, a file is
  // released): runs once time reaches now + delay_ms, whether the thread dispatches or not.
  // It must not dispatch itself.
  void Schedule(std::uint32_t delay_ms, std::function<void()> event);

  // Time passes without dispatching: the cost of a slow call.
  void Advance(std::uint32_t ms) { SleepBlocking(ms); }
  // Virtual milliseconds since the clock was made; does not wrap.
  std::int64_t Elapsed() const { return now_; }

 private:
  struct TimerState {
    std::uint32_t period_ms = 0;  // 0 = stopped
    std::int64_t due = 0;
    std::function<void()> callback;
  };
  struct OutsideEvent {
    std::int64_t at = 0;
    std::function<void()> event;
  };

  std::optional<TimerId> DueTimer() const;
  std::optional<std::int64_t> NextTimerDue() const;
  void Fire(TimerId id);
  void RunOutsideEventsUpTo(std::int64_t time);
  // Moves time forward to `time`, running outside events on the way.
  void MoveTo(std::int64_t time);

  const std::uint32_t start_tick_;
  std::int64_t now_ = 0;
  TimerId next_id_ = 1;
  std::map<TimerId, TimerState> timers_;
  std::deque<std::function<void()>> posted_;
  std::multimap<std::int64_t, std::function<void()>> outside_;
  int depth_ = 0;
};

}  // namespace kelvo::sim
