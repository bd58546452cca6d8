// The simulated user-interface thread: the later tests of waits, ticks and boxes lean on these
// rules, so they are pinned here.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/sim/simulated_system.h"

namespace kelvo::sim {
namespace {

struct Tick {
  std::string timer;
  std::int64_t at;
  friend bool operator==(const Tick&, const Tick&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Tick& tick) {
    return out << tick.timer << "@" << tick.at;
  }
};

class SimThreadTest : public ::testing::Test {
 protected:
  TimerId Record(const std::string& name, std::uint32_t period) {
    return clock.AddTimer(period, [this, name] { ticks.push_back({name, clock.Elapsed()}); });
  }

  SimClock clock{kDefaultStartTick};
  std::vector<Tick> ticks;
};

TEST_F(SimThreadTest, APauseRunsEveryTickAtItsOwnTimeInOrder) {
  Record("a", 300);
  Record("b", 500);
  clock.PauseDispatching(1000);
  EXPECT_EQ(ticks,
            (std::vector<Tick>{{"a", 300}, {"b", 500}, {"a", 600}, {"a", 900}, {"b", 1000}}));
  EXPECT_EQ(clock.Elapsed(), 1000);
}

TEST_F(SimThreadTest, TicksMissedWhileBlockedRunOnceAndKeepTheirCadence) {
  Record("a", 100);
  clock.SleepBlocking(350);
  EXPECT_TRUE(ticks.empty());
  clock.DispatchPending();
  clock.DispatchPending();
  clock.PauseDispatching(100);
  EXPECT_EQ(ticks, (std::vector<Tick>{{"a", 350}, {"a", 400}}));
}

TEST_F(SimThreadTest, PostedMessagesRunBeforeDueTicksAndPausesOfZeroDispatchNothing) {
  Record("a", 100);
  clock.SleepBlocking(100);
  clock.Post([this] { ticks.push_back({"click", clock.Elapsed()}); });
  clock.PauseDispatching(0);
  clock.PauseDispatching(-5);
  EXPECT_TRUE(ticks.empty());
  clock.DispatchPending();
  EXPECT_EQ(ticks, (std::vector<Tick>{{"click", 100}, {"a", 100}}));
}

TEST_F(SimThreadTest, StoppingAndRestartingATimer) {
  const TimerId a = Record("a", 100);
  clock.PauseDispatching(150);
  clock.SetTimerPeriod(a, 0);
  clock.PauseDispatching(500);
  clock.SetTimerPeriod(a, 1000);  // restarts from now, at 650
  clock.PauseDispatching(1000);
  EXPECT_EQ(ticks, (std::vector<Tick>{{"a", 100}, {"a", 1650}}));
}

TEST_F(SimThreadTest, ATickThatPausesSeesOtherTicksInside) {
  TimerId slow = 0;
  slow = clock.AddTimer(1000, [&] {
    ticks.push_back({"slow begins", clock.Elapsed()});
    clock.KillTimer(slow);
    clock.PauseDispatching(250);
    ticks.push_back({"slow ends", clock.Elapsed()});
  });
  Record("fast", 100);
  clock.PauseDispatching(1200);
  EXPECT_EQ(ticks, (std::vector<Tick>{{"fast", 100},
                                      {"fast", 200},
                                      {"fast", 300},
                                      {"fast", 400},
                                      {"fast", 500},
                                      {"fast", 600},
                                      {"fast", 700},
                                      {"fast", 800},
                                      {"fast", 900},
                                      {"slow begins", 1000},
                                      {"fast", 1000},
                                      {"fast", 1100},
                                      {"fast", 1200},
                                      {"slow ends", 1250}}));
}

// As in Windows, nothing stops a timer from ticking inside its own handler while that handler
// pauses; a handler that always pauses longer than its period never returns.
TEST_F(SimThreadTest, ATickThatAlwaysOutlastsItsPeriodIsCaught) {
  clock.AddTimer(100, [this] { clock.PauseDispatching(250); });
  EXPECT_THROW(clock.PauseDispatching(1000), std::runtime_error);
}

TEST_F(SimThreadTest, OutsideEventsHappenWhileBlocked) {
  clock.Schedule(30, [this] { ticks.push_back({"exits", clock.Elapsed()}); });
  clock.SleepBlocking(20);
  EXPECT_TRUE(ticks.empty());
  clock.SleepBlocking(20);
  EXPECT_EQ(ticks, (std::vector<Tick>{{"exits", 30}}));
  EXPECT_EQ(clock.Elapsed(), 40);
}

TEST_F(SimThreadTest, TheTickCounterWraps) {
  SimClock late(0xFFFFFF00u);
  late.SleepBlocking(0x180);
  EXPECT_EQ(late.TickCount(), 0x80u);
  EXPECT_EQ(late.Elapsed(), 0x180);
}

TEST(SimDialogs, BoxesAreAnsweredAsQueuedOrAsTheUserWhoLeavesThemAlone) {
  SimulatedSystem sim;
  Dialogs& dialogs = sim.dialogs;
  // A question nobody answered is a mistake in the test, not a silent "no".
  EXPECT_THROW(dialogs.ShowMessageBox(0, "确定？", "警告", kBoxYesNo), std::logic_error);
  EXPECT_EQ(dialogs.ShowMessageBox(0, "完成", "通知", kBoxOk), kAnswerOk);

  sim.dialogs.QueueReply([&](const ShownBox& box) {
    EXPECT_EQ(box.text, "稍等");
    EXPECT_EQ(sim.dialogs.OpenBoxes(), 1);
    sim.clock.PauseDispatching(1500);
    return kAnswerOk;
  });
  EXPECT_EQ(dialogs.ShowTimedMessageBox(0, "稍等", "友情提醒", 0, 5000), kAnswerOk);
  EXPECT_EQ(sim.clock.Elapsed(), 1500);
  EXPECT_EQ(sim.dialogs.OpenBoxes(), 0);

  sim.dialogs.QueueTimeout();
  EXPECT_EQ(dialogs.ShowTimedMessageBox(0, "稍等", "友情提醒", 0, 5000), kAnswerTimeout);
  EXPECT_EQ(sim.clock.Elapsed(), 6500);
}

}  // namespace
}  // namespace kelvo::sim
