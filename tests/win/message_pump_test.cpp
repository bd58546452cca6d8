// Win32MessagePump: pauses that dispatch without spinning, and WM_QUIT surviving them.
#include "platform/win32/win32_message_pump.h"

#include <gtest/gtest.h>

#include "win_test_support.h"

namespace kelvo {
namespace {

using test::Stopwatch;
using test::ThreadTimer;

// Processor time (user + kernel) this process has used, in milliseconds.
std::int64_t ProcessorTimeMs() {
  FILETIME created, exited, kernel, user;
  ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<std::int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 10000;
}

// Takes a waiting WM_QUIT off the queue; its exit code, or -1 when none waits.
int TakeQuit() {
  MSG message;
  if (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    return static_cast<int>(message.wParam);
  }
  return -1;
}

TEST(MessagePump, PauseDispatchingRunsTimersForAboutTheAskedTime) {
  Win32MessagePump pump;
  struct Case {
    std::int64_t ms;
    std::int64_t at_least_ms;
    std::int64_t below_ms;
    int at_least_ticks;
  };
  for (const Case& c : {Case{0, 0, 20, 0}, Case{-5, 0, 20, 0}, Case{300, 295, 450, 4}}) {
    ThreadTimer ticking(
        50, [] {}, /*repeat=*/true);
    Stopwatch clock;
    pump.PauseDispatching(c.ms);
    EXPECT_GE(clock.ElapsedMs(), c.at_least_ms) << c.ms;
    EXPECT_LT(clock.ElapsedMs(), c.below_ms) << c.ms;
    EXPECT_GE(ticking.ticks(), c.at_least_ticks) << c.ms;
  }
}

TEST(MessagePump, PauseDispatchingWaitsWithoutSpinning) {
  Win32MessagePump pump;
  for (bool quit_waiting : {false, true}) {
    if (quit_waiting) ::PostQuitMessage(3);
    const std::int64_t before = ProcessorTimeMs();
    Stopwatch clock;
    pump.PauseDispatching(500);
    EXPECT_GE(clock.ElapsedMs(), 495);
    EXPECT_LT(ProcessorTimeMs() - before, 100) << "quit waiting: " << quit_waiting;
    EXPECT_EQ(TakeQuit(), quit_waiting ? 3 : -1);
  }
}

TEST(MessagePump, DispatchPendingHandlesTheQueueAndKeepsWmQuit) {
  Win32MessagePump pump;
  int fired = 0;
  ThreadTimer once(1, [&] { ++fired; });
  ::Sleep(30);
  ::PostQuitMessage(7);
  pump.DispatchPending();
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(TakeQuit(), 7);
  EXPECT_EQ(TakeQuit(), -1);
}

TEST(MessagePump, TickCountFollowsSleepBlocking) {
  Win32MessagePump pump;
  const std::uint32_t start = pump.TickCount();
  int fired = 0;
  ThreadTimer once(10, [&] { ++fired; });
  pump.SleepBlocking(100);
  EXPECT_GE(static_cast<std::uint32_t>(pump.TickCount() - start), 90u);
  EXPECT_EQ(fired, 0);  // sleeping dispatches nothing
}

}  // namespace
}  // namespace kelvo
