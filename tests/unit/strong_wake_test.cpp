#include "procctl/strong_wake.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/toolbox.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using sim::WindowDef;

constexpr ProcessId kMax = 5120;
constexpr ProcessId kMax2 = 5188;
constexpr ProcessId kOther = 6300;
constexpr char kMaxClass[] = "Qt5QWindowIcon";
constexpr char kUntitled[] = "无标题 - Autodesk 3ds Max 2020";

class StrongWakeTest : public ::testing::Test {
 protected:
  WindowHandle Below(const WindowDef& def) { return sim.windows.AddBehind(def); }
  WindowHandle MaxWindow(ProcessId process, const std::string& title) {
    return Below({.process = process, .class_name = kMaxClass, .title = title, .minimised = true});
  }
  const std::vector<WindowHandle>& Maximised() { return sim.windows.maximise_calls(); }

  sim::SimulatedSystem sim;
  System& system = sim.system();
};

TEST_F(StrongWakeTest, WithoutAKnownMainWindowTheUserIsToldAndNothingIsShown) {
  const WindowHandle max = MaxWindow(kMax, kUntitled);
  // No 3ds Max process (-1), or no visible main window at the last tick (0).
  for (const WindowHandle known : {WindowHandle{-1}, WindowHandle{0}}) {
    StrongWake(system, known);
  }

  ASSERT_EQ(sim.dialogs.boxes().size(), 2u);
  for (const sim::ShownBox& box : sim.dialogs.boxes()) {
    EXPECT_EQ(box.kind, sim::BoxKind::Plain);
    EXPECT_EQ(box.text, "未找到进程！");
    EXPECT_EQ(box.title, "错误");
    EXPECT_EQ(box.style, kBoxOk | kBoxTaskModal);
  }
  EXPECT_TRUE(Maximised().empty());
  EXPECT_TRUE(sim.windows.IsMinimised(max));
}

TEST_F(StrongWakeTest, MinimisedMaxWindowsComeBackMaximisedInListOrderWithoutAMessage) {
  const WindowHandle first = MaxWindow(kMax, "a.max - Autodesk 3ds Max 2020");
  const WindowHandle second = MaxWindow(kMax2, "b.max - Autodesk 3ds Max 2022");

  StrongWake(system, first);

  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{first, second}));
  for (const WindowHandle window : {first, second}) {
    EXPECT_TRUE(sim.windows.IsMaximised(window));
    EXPECT_FALSE(sim.windows.IsMinimised(window));
  }
  // The last one shown comes out on top.
  EXPECT_EQ(sim.windows.ZOrder().front(), second);
  EXPECT_TRUE(sim.dialogs.boxes().empty());
}

TEST_F(StrongWakeTest, TwoInstancesWithTheSameTitleAreBothMaximised) {
  // Two fresh instances both show the untitled scene. A search by that title would find the
  // upper one twice; each listed window is maximised itself instead.
  const WindowHandle upper = MaxWindow(kMax, kUntitled);
  const WindowHandle lower = MaxWindow(kMax2, kUntitled);

  StrongWake(system, upper);

  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{upper, lower}));
  EXPECT_TRUE(sim.windows.IsMaximised(lower));
}

TEST_F(StrongWakeTest, TitlesOnlyMarkMaxWindowsWithTheExactMarker) {
  const WindowHandle max = MaxWindow(kMax, kUntitled);
  const std::string near_misses[] = {
      "无标题 - autodesk 3ds max 2020",  // case respected
      "无标题 Autodesk 3ds Max 2020",    // no dash
      "MAXScript Listener",
      "",
  };
  std::vector<WindowHandle> untouched;
  for (const std::string& title : near_misses) {
    untouched.push_back(MaxWindow(kMax, title));
  }

  StrongWake(system, max);

  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{max}));
  for (const WindowHandle window : untouched) {
    EXPECT_TRUE(sim.windows.IsMinimised(window));
    EXPECT_FALSE(sim.windows.IsMaximised(window));
  }
}

TEST_F(StrongWakeTest, AnotherProgramsWindowWithAMaxTitleIsLeftAlone) {
  const WindowHandle other = Below({.process = kOther,
                                    .class_name = "Notepad",
                                    .title = "a.max - Autodesk 3ds Max 2020",
                                    .minimised = true});
  const WindowHandle max = MaxWindow(kMax, kUntitled);

  StrongWake(system, max);

  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{max}));
  EXPECT_TRUE(sim.windows.IsMinimised(other));
  // Nothing is ever asked of "no window".
  for (const WindowHandle window : Maximised())
    EXPECT_NE(window, 0);
}

TEST_F(StrongWakeTest, AnotherProgramsWindowSharingAMaxWindowsTitleLeadsToThatMaxWindow) {
  // The other program's window stands above; the 3ds Max window of the same title is hidden, so
  // only the search by title reaches it.
  Below({.process = kOther, .class_name = "Notepad", .title = kUntitled});
  const WindowHandle hidden_max =
      Below({.process = kMax, .class_name = kMaxClass, .title = kUntitled, .visible = false});

  StrongWake(system, hidden_max);

  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{hidden_max}));
  EXPECT_TRUE(sim.windows.IsVisible(hidden_max));
}

TEST_F(StrongWakeTest, ATitleGbkCannotHoldStillWakesTheWindow) {
  // The scene name holds characters outside GBK: the title reads with "?" and a search for that
  // text would not find the window.
  const WindowHandle max = Below({.process = kMax,
                                  .class_name = kMaxClass,
                                  .title = "?? - Autodesk 3ds Max 2020",
                                  .minimised = true,
                                  .title_lossy = true});
  // Another program's window showing the same lossy title finds nothing by it.
  const WindowHandle other = Below({.process = kOther,
                                    .class_name = "Notepad",
                                    .title = "?? - Autodesk 3ds Max 2020",
                                    .title_lossy = true});

  StrongWake(system, max);

  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{max}));
  EXPECT_FALSE(sim.windows.IsMinimised(max));
  EXPECT_FALSE(sim.windows.IsMaximised(other));
}

TEST_F(StrongWakeTest, HiddenMaxWindowsAreNotListedAndStayHidden) {
  const WindowHandle shown = MaxWindow(kMax, kUntitled);
  const WindowHandle hidden = Below({.process = kMax2,
                                     .class_name = kMaxClass,
                                     .title = "b.max - Autodesk 3ds Max 2020",
                                     .visible = false});

  StrongWake(system, shown);

  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{shown}));
  EXPECT_FALSE(sim.windows.IsVisible(hidden));
}

TEST_F(StrongWakeTest, ItsButtonWakesTheMainWindowTheStatusMonitorPublished) {
  const WindowHandle max = MaxWindow(kMax, kUntitled);
  sim::FakeToolboxView view;
  Toolbox toolbox;

  // Before a status tick has seen 3ds Max, the button has nothing to wake.
  OnControlClicked(system, toolbox, view, Control::按钮1);
  EXPECT_EQ(sim.dialogs.texts(), (std::vector<std::string>{"未找到进程！"}));

  toolbox.status.values.max_main_window = max;
  OnControlClicked(system, toolbox, view, Control::按钮1);
  EXPECT_EQ(Maximised(), (std::vector<WindowHandle>{max}));
  EXPECT_EQ(sim.dialogs.boxes().size(), 1u);
}

}  // namespace
}  // namespace kelvo
