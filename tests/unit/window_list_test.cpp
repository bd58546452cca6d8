#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "procctl/window_toolkit.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using sim::WindowDef;

constexpr ProcessId kMax = 5120;
constexpr ProcessId kOther = 6300;

class WindowListTest : public ::testing::Test {
 protected:
  WindowHandle Below(const WindowDef& def) { return sim.windows.AddBehind(def); }
  std::vector<WindowHandle> Listed() {
    std::vector<WindowHandle> handles;
    for (const std::string& text : ListVisibleWindows(system))
      handles.push_back(WindowFromListText(text));
    return handles;
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
};

TEST_F(WindowListTest, VisibleWindowsInZOrderIncludingMinimisedOnes) {
  const WindowHandle top = Below({.process = kOther, .class_name = "Notepad"});
  Below({.process = kOther, .class_name = "Hidden", .visible = false});
  const WindowHandle minimised =
      Below({.process = kMax, .class_name = "Qt5QWindowIcon", .minimised = true});
  const WindowHandle dialog = Below({.process = kMax, .owner = minimised, .class_name = "#32770"});

  EXPECT_EQ(Listed(), (std::vector<WindowHandle>{top, minimised, dialog}));
}

TEST_F(WindowListTest, NoVisibleWindowGivesAnEmptyList) {
  EXPECT_TRUE(ListVisibleWindows(system).empty());
  Below({.process = kOther, .class_name = "Hidden", .visible = false});
  EXPECT_TRUE(ListVisibleWindows(system).empty());
}

TEST(WindowListText, TextsTurnBackIntoHandles) {
  const struct {
    std::string text;
    WindowHandle handle;
  } cases[] = {
      {"655378", 0x000A0012},
      // Handles are sign-extended from their 32 significant bits, as "%d" writes them.
      {"-2147483000", static_cast<WindowHandle>(std::int32_t{-2147483000})},
      {"0", 0},
      {"", 0},
      {"12ab", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WindowFromListText(c.text), c.handle) << '"' << c.text << '"';
  }
}

TEST_F(WindowListTest, FindChildWindowMatchesWholeTextsAndContinuesAfterAStart) {
  const std::string title = "a.max - Autodesk 3ds Max 2020";
  const WindowHandle first =
      Below({.process = kMax, .class_name = "Qt5QWindowIcon", .title = title});
  const WindowHandle hidden =
      Below({.process = kMax, .class_name = "Qt5QWindowIcon", .title = title, .visible = false});
  const WindowHandle other = Below({.process = kOther, .class_name = "Notepad", .title = title});

  const struct {
    WindowHandle after;
    std::string class_name;
    std::string title;
    WindowHandle expected;
  } cases[] = {
      {0, "Qt5QWindowIcon", title, first},
      // Hidden windows are found too.
      {first, "Qt5QWindowIcon", title, hidden},
      {hidden, "Qt5QWindowIcon", title, 0},
      {0, "Notepad", "", other},
      {0, "", "", first},
      {first, "", title, hidden},
      // Whole texts, case respected: parts do not match.
      {0, "Qt5QWindow", title, 0},
      {0, "Qt5QWindowIcon", "a.max", 0},
      {0, "qt5qwindowicon", title, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FindChildWindow(system, 0, c.after, c.class_name, c.title), c.expected)
        << c.class_name << " / " << c.title;
  }
}

}  // namespace
}  // namespace kelvo
