#include "procctl/window_toolkit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/toolbox_layout.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using sim::WindowDef;

constexpr ProcessId kMax = 5120;
constexpr ProcessId kOther = 6300;
constexpr char kMaxClass[] = "Qt5QWindowIcon";
constexpr char kMaxTitle[] = "scene.max - Autodesk 3ds Max 2020";

class WindowSearchTest : public ::testing::Test {
 protected:
  WindowSearchTest() {
    sim.processes.Add(kMax, "3dsmax.exe");
    sim.processes.Add(kOther, "notepad.exe");
  }
  // Builds the desktop from the top down.
  WindowHandle Below(const WindowDef& def) { return sim.windows.AddBehind(def); }
  WindowHandle Foreign() { return Below({.process = kOther, .class_name = "Notepad"}); }

  sim::SimulatedSystem sim;
  System& system = sim.system();
};

TEST_F(WindowSearchTest, FindsTheFirstUnownedWindowOfTheProcessInZOrder) {
  Foreign();
  const WindowHandle main = Below({.process = kMax, .class_name = kMaxClass, .title = kMaxTitle});
  // An owned dialog above its owner is passed over.
  sim.windows.Add({.process = kMax, .owner = main, .class_name = "#32770"});
  Below({.process = kMax, .class_name = kMaxClass, .title = "MAXScript Listener"});

  EXPECT_EQ(FindTopLevelWindow(system, kMax), main);
}

TEST_F(WindowSearchTest, AWindowClosedDuringTheSearchDoesNotEndIt) {
  const WindowHandle closing = Foreign();
  const WindowHandle main = Below({.process = kMax, .class_name = kMaxClass, .title = kMaxTitle});
  // A message handled while the search stands on the foreign window closes that window.
  sim.clock.Post([&] { sim.windows.Remove(closing); });

  EXPECT_EQ(FindTopLevelWindow(system, kMax), main);
}

TEST_F(WindowSearchTest, AnOwnedDialogIsNoMainWindow) {
  Foreign();
  const WindowHandle hidden_main =
      Below({.process = kMax, .class_name = kMaxClass, .visible = false});
  sim.windows.Add({.process = kMax, .owner = hidden_main, .class_name = "#32770"});

  EXPECT_EQ(FindTopLevelWindow(system, kMax), 0);
}

TEST_F(WindowSearchTest, HiddenWindowsCountOnlyWhenAskedFor) {
  const WindowHandle hidden = Below({.process = kMax, .class_name = kMaxClass, .visible = false});
  EXPECT_EQ(FindTopLevelWindow(system, kMax), 0);
  EXPECT_EQ(FindTopLevelWindow(system, kMax, {.visible_only = false}), hidden);

  const WindowHandle visible = Below({.process = kMax, .class_name = kMaxClass});
  EXPECT_EQ(FindTopLevelWindow(system, kMax), visible);
}

struct PartsCase {
  const char* name;
  std::optional<std::string> class_part;
  std::optional<std::string> title_part;
  int expected;  // index of the window, -1 for none
  friend void PrintTo(const PartsCase& c, std::ostream* out) { *out << c.name; }
};

class WindowPartsTest : public WindowSearchTest, public ::testing::WithParamInterface<PartsCase> {};

TEST_P(WindowPartsTest, PartsAreCaseSensitiveSubstrings) {
  const WindowHandle windows[] = {
      Below(
          {.process = kMax, .class_name = "Qt5QWindowToolSaveBits", .title = "MAXScript Listener"}),
      Below({.process = kMax, .class_name = kMaxClass, .title = kMaxTitle}),
  };
  const PartsCase& c = GetParam();
  const WindowHandle found =
      FindTopLevelWindow(system, kMax, {.title_part = c.title_part, .class_part = c.class_part});
  EXPECT_EQ(found, c.expected < 0 ? 0 : windows[c.expected]);
}

INSTANTIATE_TEST_SUITE_P(
    WindowToolkit, WindowPartsTest,
    ::testing::Values(PartsCase{"ClassPart", "QWindowIcon", std::nullopt, 1},
                      PartsCase{"ClassPartOfBoth", "Qt5", std::nullopt, 0},
                      PartsCase{"ClassInSmallLetters", "qt5qwindowicon", std::nullopt, -1},
                      PartsCase{"TitlePart", std::nullopt, "Autodesk 3ds Max", 1},
                      PartsCase{"TitleInCapitals", std::nullopt, "AUTODESK 3DS MAX", -1},
                      PartsCase{"BothMatchTheSameWindow", "Qt5", "Autodesk", 1},
                      PartsCase{"BothMatchButDifferentWindows", "QWindowIcon", "Listener", -1},
                      PartsCase{"EmptyPartsMatchAnything", "", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowSearchTest, TheTimeLimitIsCheckedBetweenWindowsOnly) {
  const WindowHandle main = Below({.process = kMax, .class_name = kMaxClass, .title = kMaxTitle});
  // Looking at the one window takes far longer than the limit; it is still answered.
  sim.windows.SetCallCost(40);
  EXPECT_EQ(FindTopLevelWindow(system, kMax, {.title_part = "Autodesk", .timeout_ms = 100}), main);
  // A limit of 0 is spent before the first window.
  EXPECT_EQ(FindTopLevelWindow(system, kMax, {.timeout_ms = 0}), 0);
  // A negative limit is no limit.
  EXPECT_EQ(FindTopLevelWindow(system, kMax, {.timeout_ms = -1}), main);
}

TEST_F(WindowSearchTest, ALongWalkStopsSoonAfterTheLimit) {
  for (int i = 0; i < 500; ++i)
    Foreign();
  const WindowHandle main = Below({.process = kMax, .class_name = kMaxClass});
  sim.windows.SetCallCost(1);

  const std::int64_t start = sim.clock.Elapsed();
  EXPECT_EQ(FindTopLevelWindow(system, kMax, {.timeout_ms = 100}), 0);
  const std::int64_t spent = sim.clock.Elapsed() - start;
  EXPECT_GE(spent, 100);
  EXPECT_LT(spent, 110);

  EXPECT_EQ(FindTopLevelWindow(system, kMax), main);
}

TEST_F(WindowSearchTest, TheLimitHoldsAcrossTheTickCounterWrap) {
  sim::SimulatedSystem wrapping(0xFFFFFFF0u);
  wrapping.processes.Add(kMax, "3dsmax.exe");
  for (int i = 0; i < 100; ++i)
    wrapping.windows.AddBehind({.process = kOther});
  const WindowHandle main = wrapping.windows.AddBehind({.process = kMax});
  wrapping.windows.SetCallCost(1);

  EXPECT_EQ(FindTopLevelWindow(wrapping.system(), kMax, {.timeout_ms = 1000}), main);
  EXPECT_EQ(FindTopLevelWindow(wrapping.system(), kMax, {.timeout_ms = 50}), 0);
}

// Messages wait while the search passes hidden windows and run as soon as it passes a window of
// another process.
TEST_F(WindowSearchTest, PassingOtherProgramsWindowsDispatches) {
  Below({.process = kOther, .visible = false});
  const WindowHandle main = Below({.process = kMax});
  bool clicked = false;
  sim.clock.Post([&] { clicked = true; });
  EXPECT_EQ(FindTopLevelWindow(system, kMax), main);
  EXPECT_FALSE(clicked);

  sim.windows.Raise(Foreign());
  EXPECT_EQ(FindTopLevelWindow(system, kMax), main);
  EXPECT_TRUE(clicked);
}

TEST_F(WindowSearchTest, TimerTicksRunInsideASlowSearch) {
  for (int i = 0; i < 50; ++i)
    Foreign();
  const WindowHandle main = Below({.process = kMax});
  sim.windows.SetCallCost(10);
  std::vector<std::int64_t> ticks;
  sim.clock.AddTimer(200, [&] { ticks.push_back(sim.clock.Elapsed()); });

  EXPECT_EQ(FindTopLevelWindow(system, kMax), main);
  // The walk takes well over a second of slow calls; the 200 ms timer ticks along inside it.
  EXPECT_GE(ticks.size(), 5u);
}

class TimedBoxTest : public WindowSearchTest {
 protected:
  WindowHandle OwnWindow(bool visible = true) {
    return Below({.process = sim::kOwnProcessId,
                  .class_name = "KelvoToolbox",
                  .title = kWindowTitle,
                  .visible = visible});
  }
  const sim::ShownBox& OnlyBox() {
    EXPECT_EQ(sim.dialogs.boxes().size(), 1u);
    return sim.dialogs.boxes().back();
  }
};

TEST_F(TimedBoxTest, DefaultsAndTheProgramsOwnWindowAsOwner) {
  Foreign();
  const WindowHandle own = OwnWindow();
  sim.windows.Add({.process = sim::kOwnProcessId, .owner = own, .class_name = "#32770"});
  sim.dialogs.QueueAnswer(kAnswerOk);

  EXPECT_EQ(TimedMessageBox(system, "MAX进程优先级已调至最低。"), 0);

  const sim::ShownBox& box = OnlyBox();
  EXPECT_EQ(box.kind, sim::BoxKind::Timed);
  EXPECT_EQ(box.owner, own);
  EXPECT_EQ(box.text, "MAX进程优先级已调至最低。");
  EXPECT_EQ(box.title, "友情提醒");
  EXPECT_EQ(box.style, 0u);
  EXPECT_EQ(box.timeout_ms, 5000u);
}

TEST_F(TimedBoxTest, WhileTheWindowIsInTheTrayTheBoxHasNoOwnerAndClosesItself) {
  OwnWindow(/*visible=*/false);
  const std::int64_t start = sim.clock.Elapsed();

  EXPECT_EQ(TimedMessageBox(system, "text"), kAnswerTimeout - 1);

  EXPECT_EQ(OnlyBox().owner, 0);
  EXPECT_EQ(sim.clock.Elapsed() - start, 5000);
}

TEST_F(TimedBoxTest, GivenOptionsAreUsedAsTheyStand) {
  OwnWindow();
  sim.dialogs.QueueAnswer(kAnswerOk);

  TimedMessageBox(system, "text",
                  {.style = kBoxIconInformation, .title = "通知", .owner = 0, .timeout_ms = 9});

  const sim::ShownBox& box = OnlyBox();
  EXPECT_EQ(box.owner, 0);
  EXPECT_EQ(box.title, "通知");
  EXPECT_EQ(box.style, kBoxIconInformation);
  EXPECT_EQ(box.timeout_ms, 9u);
}

TEST_F(TimedBoxTest, TheOwnerSearchGivesUpAfterOneSecond) {
  for (int i = 0; i < 2000; ++i)
    Foreign();
  OwnWindow();
  sim.windows.SetCallCost(1);
  sim.dialogs.QueueAnswer(kAnswerOk);
  const std::int64_t start = sim.clock.Elapsed();

  TimedMessageBox(system, "text");

  EXPECT_EQ(OnlyBox().owner, 0);
  EXPECT_GE(OnlyBox().shown_at - start, 1000);
  EXPECT_LT(OnlyBox().shown_at - start, 1010);
}

TEST_F(TimedBoxTest, AnswersTheWindowsAnswerMinusOne) {
  for (const int answer : {kAnswerOk, kAnswerCancel, kAnswerYes, kAnswerNo, kAnswerTimeout}) {
    sim.dialogs.QueueAnswer(answer);
    EXPECT_EQ(TimedMessageBox(system, "text"), answer - 1);
  }
}

}  // namespace
}  // namespace kelvo
