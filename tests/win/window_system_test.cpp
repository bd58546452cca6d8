// Win32WindowSystem: the z-order walk and what it reads about each window.
#include "platform/win32/win32_window_system.h"

#include <gtest/gtest.h>

#include "win_test_support.h"

namespace kelvo {
namespace {

using test::MakeWindow;

WindowHandle Handle(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}

class WindowSystemTest : public ::testing::Test {
 protected:
  // Walks the whole z-order (bounded) and tells whether the window is in it.
  bool InWalk(WindowHandle wanted) {
    WindowHandle window = 0;
    for (int steps = 0; steps < 100000; ++steps) {
      window = windows_.NextTopLevelWindow(window);
      if (window == 0) return false;
      if (window == wanted) return true;
    }
    ADD_FAILURE() << "the walk did not end";
    return false;
  }

  Win32WindowSystem windows_;
};

TEST_F(WindowSystemTest, OwnWindowIsFoundInTheWalkWithItsFacts) {
  const auto shown = MakeWindow(L"KelvoMAX工具箱_V0.10", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  const auto hidden = MakeWindow(L"hidden", WS_OVERLAPPEDWINDOW);
  ASSERT_TRUE(shown && hidden);

  for (HWND window : {shown.get(), hidden.get()}) {
    EXPECT_TRUE(InWalk(Handle(window)));
    EXPECT_EQ(windows_.OwnerProcess(Handle(window)), ::GetCurrentProcessId());
    EXPECT_EQ(windows_.ClassName(Handle(window)), "KelvoTestWindow");
    EXPECT_EQ(windows_.Parent(Handle(window)), 0);
  }
  EXPECT_TRUE(windows_.IsVisible(Handle(shown.get())));
  EXPECT_NE(windows_.Style(Handle(shown.get())) & kStyleVisible, 0u);
  EXPECT_FALSE(windows_.IsVisible(Handle(hidden.get())));
  EXPECT_EQ(windows_.Style(Handle(hidden.get())) & kStyleVisible, 0u);
  EXPECT_EQ(windows_.Title(Handle(shown.get())), "KelvoMAX工具箱_V0.10");
}

TEST_F(WindowSystemTest, TitlesAreReadAsGbk) {
  const auto window = MakeWindow(L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(window);
  struct Case {
    const wchar_t* title;
    std::string expected;
  };
  const Case cases[] = {
      {L"", ""},
      {L"Untitled - Autodesk 3ds Max 2016", "Untitled - Autodesk 3ds Max 2016"},
      {L"场景 - Autodesk 3ds Max 2020  - 乗", "场景 - Autodesk 3ds Max 2020  - 乗"},
      {L"Thai \u0E01 is not GBK", "Thai ? is not GBK"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(::SetWindowTextW(window.get(), c.title));
    EXPECT_EQ(windows_.Title(Handle(window.get())), c.expected);
  }
}

TEST_F(WindowSystemTest, OwnedPopupAnswersItsOwnerAsParent) {
  const auto owner = MakeWindow(L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(owner);
  const auto popup = MakeWindow(L"popup", WS_POPUP | WS_VISIBLE, owner.get());
  ASSERT_TRUE(popup);
  EXPECT_TRUE(InWalk(Handle(popup.get())));
  EXPECT_EQ(windows_.Parent(Handle(popup.get())), Handle(owner.get()));
  EXPECT_EQ(windows_.Parent(Handle(owner.get())), 0);
}

TEST_F(WindowSystemTest, WindowThatIsGoneGivesEmptyValues) {
  auto window = MakeWindow(L"soon gone", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(window);
  const WindowHandle gone = Handle(window.get());
  window.reset();
  EXPECT_FALSE(windows_.IsVisible(gone));
  EXPECT_EQ(windows_.OwnerProcess(gone), 0u);
  EXPECT_EQ(windows_.Title(gone), "");
  EXPECT_EQ(windows_.ClassName(gone), "");
  EXPECT_FALSE(InWalk(gone));
}

}  // namespace
}  // namespace kelvo
