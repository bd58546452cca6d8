#include "tests/support/sim/sim_clock.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace kelvo::sim {
namespace {

// A tick that pauses longer than its period re-enters itself; past this depth a test has found
// a handler that never stops doing so.
constexpr int kMaxNesting = 200;
// Bounds one dispatch, which loops while callbacks keep posting or timers keep falling due.
constexpr int kMaxMessagesPerDispatch = 1'000'000;

class NestingGuard {
 public:
  explicit NestingGuard(int& depth) : depth_(depth) {
    if (++depth_ > kMaxNesting) {
      --depth_;
      throw std::runtime_error("simulated timer callbacks nested " + std::to_string(kMaxNesting) +
                               " deep: a tick keeps re-entering itself");
    }
  }
  ~NestingGuard() { --depth_; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;

 private:
  int& depth_;
};

}  // namespace

SimClock::SimClock(std::uint32_t start_tick) : start_tick_(start_tick) {}

std::uint32_t SimClock::TickCount() {
  return static_cast<std::uint32_t>(start_tick_ + static_cast<std::uint64_t>(now_));
}

void SimClock::DispatchPending() {
  for (int handled = 0;; ++handled) {
    if (handled == kMaxMessagesPerDispatch) {
      throw std::runtime_error("simulated dispatch never empties its queue");
    }
    if (!posted_.empty()) {
      std::function<void()> callback = std::move(posted_.front());
      posted_.pop_front();
      NestingGuard guard(depth_);
      callback();
      continue;
    }
    const std::optional<TimerId> due = DueTimer();
    if (!due) return;
    Fire(*due);
  }
}

void SimClock::PauseDispatching(std::int64_t ms) {
  if (ms <= 0) return;
  const std::int64_t end = now_ + ms;
  for (;;) {
    DispatchPending();
    if (now_ >= end) return;
    std::int64_t next = end;
    if (const auto timer = NextTimerDue(); timer && *timer < next) next = *timer;
    if (!outside_.empty() && outside_.begin()->first < next) next = outside_.begin()->first;
    MoveTo(next);
  }
}

void SimClock::SleepBlocking(std::uint32_t ms) {
  MoveTo(now_ + ms);
}

TimerId SimClock::AddTimer(std::uint32_t period_ms, std::function<void()> callback) {
  const TimerId id = next_id_++;
  timers_[id] = TimerState{period_ms, now_ + period_ms, std::move(callback)};
  return id;
}

void SimClock::KillTimer(TimerId id) {
  timers_.erase(id);
}

void SimClock::SetTimerPeriod(TimerId id, std::uint32_t period_ms) {
  TimerState& timer = timers_.at(id);
  timer.period_ms = period_ms;
  timer.due = now_ + period_ms;
}

std::uint32_t SimClock::TimerPeriod(TimerId id) const {
  const auto found = timers_.find(id);
  return found == timers_.end() ? 0 : found->second.period_ms;
}

void SimClock::Post(std::function<void()> callback) {
  posted_.push_back(std::move(callback));
}

void SimClock::Schedule(std::uint32_t delay_ms, std::function<void()> event) {
  outside_.emplace(now_ + delay_ms, std::move(event));
}

std::optional<TimerId> SimClock::DueTimer() const {
  std::optional<TimerId> earliest;
  std::int64_t earliest_due = 0;
  for (const auto& [id, timer] : timers_) {
    if (timer.period_ms == 0 || timer.due > now_) continue;
    if (!earliest || timer.due < earliest_due) {
      earliest = id;
      earliest_due = timer.due;
    }
  }
  return earliest;
}

std::optional<std::int64_t> SimClock::NextTimerDue() const {
  std::optional<std::int64_t> next;
  for (const auto& [id, timer] : timers_) {
    if (timer.period_ms != 0 && (!next || timer.due < *next)) next = timer.due;
  }
  return next;
}

void SimClock::Fire(TimerId id) {
  TimerState& timer = timers_.at(id);
  // Re-armed before the callback runs, on the timer's own cadence after now: ticks that were
  // missed are dropped, not queued.
  const std::int64_t missed = (now_ - timer.due) / timer.period_ms;
  timer.due += (missed + 1) * static_cast<std::int64_t>(timer.period_ms);
  // A copy: the callback may kill or restart its own timer.
  const std::function<void()> callback = timer.callback;
  NestingGuard guard(depth_);
  callback();
}

void SimClock::RunOutsideEventsUpTo(std::int64_t time) {
  while (!outside_.empty() && outside_.begin()->first <= time) {
    auto node = outside_.extract(outside_.begin());
    if (node.key() > now_) now_ = node.key();
    node.mapped()();
  }
}

void SimClock::MoveTo(std::int64_t time) {
  RunOutsideEventsUpTo(time);
  if (time > now_) now_ = time;
}

}  // namespace kelvo::sim
