#include "procctl/quick_close.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/toolbox.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

constexpr ProcessId kMax = 5120;
constexpr ProcessId kCapitalMax = 5200;
constexpr ProcessId kOther = 6300;

struct Ended {
  ProcessId id;
  std::int64_t at;
  bool operator==(const Ended&) const = default;
};

struct Tick {
  std::int64_t at;
  ProcessId published_max;
  bool operator==(const Tick&) const = default;
};

void PrintTo(const Ended& ended, std::ostream* out) {
  *out << "process " << ended.id << " ended at " << ended.at;
}

void PrintTo(const Tick& tick, std::ostream* out) {
  *out << "tick at " << tick.at << " published " << tick.published_max;
}

class QuickCloseTest : public ::testing::Test {
 protected:
  QuickCloseTest() {
    sim.processes.Add(kOther, "notepad.exe");
    view.SetHandle(sim.windows.Add({.process = sim::kOwnProcessId, .class_name = "KelvoToolbox"}));
    sim.processes.SetEndedHandler([this](ProcessId id) {
      ended.push_back({id, sim.clock.Elapsed()});
      sim.windows.RemoveWindowsOf(id);
    });
  }

  // The window exists and 时钟1 runs the real status tick on the simulated clock.
  void CreateWindowWithTimers() {
    view.AttachClock(sim.clock, [&](Timer timer) {
      OnTimerTick(system, toolbox, view, timer);
      if (timer == Timer::时钟1) ticks.push_back({sim.clock.Elapsed(), published_max()});
    });
    OnToolboxCreated(system, toolbox, view);
  }

  void Click(Control button) { OnControlClicked(system, toolbox, view, button); }
  ProcessId published_max() const { return toolbox.status.values.max_process_id; }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  Toolbox toolbox;
  sim::FakeToolboxView view;
  std::vector<Ended> ended;
  std::vector<Tick> ticks;
};

// Whether 3ds Max runs is the status monitor's word, for both buttons; the fresh list does not
// overrule it.
struct NoMaxCase {
  const char* name;
  Control button;
  const char* title;
  bool max_started_unseen;  // 3ds Max runs but no status tick has seen it yet
};

void PrintTo(const NoMaxCase& c, std::ostream* out) {
  *out << c.name;
}

class NoMaxTest : public QuickCloseTest, public ::testing::WithParamInterface<NoMaxCase> {};

TEST_P(NoMaxTest, AnswersNoProcessAndChangesNothing) {
  if (GetParam().max_started_unseen) sim.processes.Add(kMax, "3dsmax.exe");
  const std::string caption_before = view.Caption(Control::按钮8);

  Click(GetParam().button);

  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  const sim::ShownBox& box = sim.dialogs.boxes()[0];
  EXPECT_EQ(box.kind, sim::BoxKind::Plain);
  EXPECT_EQ(box.owner, 0);
  EXPECT_EQ(box.text, "未找到进程！");
  EXPECT_EQ(box.title, GetParam().title);
  EXPECT_EQ(box.style & ~kBoxTaskModal, kBoxOk);
  EXPECT_EQ(view.Caption(Control::按钮8), caption_before);
  EXPECT_FALSE(view.IsDefaultButton(Control::按钮8));
  EXPECT_TRUE(view.changes().empty());
  EXPECT_TRUE(ended.empty());
  if (GetParam().max_started_unseen) {
    EXPECT_TRUE(sim.processes.IsRunning(kMax));
    EXPECT_EQ(sim.processes.PriorityClass(kMax), sim::kNormalPriorityClass);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BothButtons, NoMaxTest,
    ::testing::Values(NoMaxCase{"QuickClose", Control::按钮3, "错误", false},
                      NoMaxCase{"QuickCloseMaxNotYetSeen", Control::按钮3, "错误", true},
                      NoMaxCase{"LowPriority", Control::按钮8, "通知", false},
                      NoMaxCase{"LowPriorityMaxNotYetSeen", Control::按钮8, "通知", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(QuickCloseTest, EndsEveryMaxWithPausesWhileStatusTicksRunInBetween) {
  sim.processes.Add(kMax, "3dsmax.exe");
  sim.processes.Add(kCapitalMax, "3DSMAX.EXE");
  CreateWindowWithTimers();
  sim.clock.PauseDispatching(1000);
  ASSERT_EQ(published_max(), kMax);
  // The next tick falls due 50 ms into the click.
  sim.clock.PauseDispatching(950);
  const std::int64_t click = sim.clock.Elapsed();
  ticks.clear();

  Click(Control::按钮3);

  EXPECT_EQ(ended, (std::vector<Ended>{{kMax, click}, {kCapitalMax, click + 100}}));
  // The tick between the terminations sees only the second 3ds Max; the click goes on with the
  // list it took at the start.
  EXPECT_EQ(ticks, (std::vector<Tick>{{click + 50, kCapitalMax}}));
  EXPECT_EQ(sim.processes.ExitCode(kMax), 0u);
  EXPECT_EQ(sim.processes.ExitCode(kCapitalMax), 0u);
  EXPECT_TRUE(sim.processes.IsRunning(kOther));
  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  const sim::ShownBox& box = sim.dialogs.boxes()[0];
  EXPECT_EQ(box.kind, sim::BoxKind::Plain);
  EXPECT_EQ(box.owner, 0);
  EXPECT_EQ(box.text, "所有MAX窗口已关闭。");
  EXPECT_EQ(box.title, "信息：");
  EXPECT_EQ(box.style & ~kBoxTaskModal, kBoxOk);
  EXPECT_EQ(box.shown_at, click + 200);
}

TEST_F(QuickCloseTest, PassesOverAProcessItCannotEnd) {
  sim.processes.Add(kMax, "3dsmax.exe");
  sim.processes.Add(kCapitalMax, "3DSMAX.EXE");
  sim.processes.RefuseTermination(kMax);
  toolbox.status.values.max_process_id = kMax;
  const std::int64_t click = sim.clock.Elapsed();

  Click(Control::按钮3);

  EXPECT_TRUE(sim.processes.IsRunning(kMax));
  EXPECT_EQ(ended, (std::vector<Ended>{{kCapitalMax, click + 100}}));
  EXPECT_EQ(sim.dialogs.texts(), (std::vector<std::string>{"所有MAX窗口已关闭。"}));
}

// Within the second after 3ds Max closed the monitor still names it while no process is left.
TEST_F(QuickCloseTest, StaleMaxProcessIdClosesNothingAndSaysDoneAtOnce) {
  toolbox.status.values.max_process_id = kMax;
  const std::int64_t click = sim.clock.Elapsed();

  Click(Control::按钮3);

  EXPECT_TRUE(ended.empty());
  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.dialogs.boxes()[0].text, "所有MAX窗口已关闭。");
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "信息：");
  EXPECT_EQ(sim.dialogs.boxes()[0].shown_at, click);
}

}  // namespace
}  // namespace kelvo
