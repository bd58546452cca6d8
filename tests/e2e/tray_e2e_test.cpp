// The notification area and the single running copy, with the program started as a user starts
// it. Under Wine the shell never restarts, so the tests take the icon away and announce a new
// taskbar themselves.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/toolbox_window.h"
#include "tests/e2e/driver/driver.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kChangeTimeoutMs = 5000;
constexpr DWORD kSecondCopyTimeoutMs = 30000;

bool Eventually(bool (*condition)(HWND), HWND window, DWORD timeout_ms = kChangeTimeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition(window)) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(50);
  }
}

bool Hidden(HWND window) {
  return !IsWindowVisible(window);
}
bool Shown(HWND window) {
  return IsWindowVisible(window) && !IsIconic(window);
}
bool InFront(HWND window) {
  return Shown(window) && GetForegroundWindow() == window;
}
bool IconUp(HWND window) {
  return TrayIconUp(window);
}

// A window of the test's own that takes the foreground, so that bringing the toolbox forward
// is seen.
class Bystander {
 public:
  Bystander() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"KelvoTrayBystander";
    RegisterClassW(&window_class);
    window_ = CreateWindowW(L"KelvoTrayBystander", L"bystander", WS_OVERLAPPEDWINDOW, 200, 200, 300,
                            200, nullptr, nullptr, window_class.hInstance, nullptr);
    ShowWindow(window_, SW_SHOW);
    // Taking the foreground from another process's window is done the way the program does it.
    for (int attempt = 0; attempt < 20 && GetForegroundWindow() != window_; ++attempt) {
      const DWORD owner = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
      const bool attached = owner && AttachThreadInput(owner, GetCurrentThreadId(), TRUE);
      SetActiveWindow(window_);
      if (attached) AttachThreadInput(owner, GetCurrentThreadId(), FALSE);
      SetForegroundWindow(window_);
      Pump();
    }
  }
  ~Bystander() { DestroyWindow(window_); }
  HWND window() const { return window_; }
  static void Pump() {
    MSG message;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 100) {
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
      Sleep(20);
    }
  }

 private:
  HWND window_ = nullptr;
};

class TrayEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = StartToolbox(program_, kStartTimeoutMs);
    ASSERT_NE(window_, nullptr) << "the toolbox window did not come up";
  }
  void TearDown() override { program_.Stop(); }

  void CloseToTray() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    ASSERT_TRUE(Eventually(Hidden, window_)) << "the window did not hide";
    ASSERT_TRUE(Eventually(IconUp, window_)) << "no icon in the notification area";
  }

  Started program_;
  HWND window_ = nullptr;
};

TEST_F(TrayEndToEnd, ClosingHidesTheWindowIntoTheNotificationArea) {
  EXPECT_FALSE(TrayIconUp(window_)) << "the icon is up before the first close";
  CloseToTray();
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(program_.Running());
}

struct MouseCase {
  const char* name;
  int code;
  bool restores;
};

class TrayMouse : public TrayEndToEnd, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(TrayMouse, OnlyLeftButtonReleaseAndDoubleClickRestoreTheWindow) {
  CloseToTray();
  Bystander bystander;
  PostTrayMessage(window_, GetParam().code);
  if (GetParam().restores) {
    EXPECT_TRUE(Eventually(InFront, window_)) << "the window did not come back in front";
  } else {
    Sleep(500);
    EXPECT_TRUE(Hidden(window_));
    EXPECT_EQ(WaitForPopupMenu(program_.id(), 0), nullptr);
  }
  EXPECT_TRUE(TrayIconUp(window_)) << "the icon stays while the window is shown";
}

INSTANTIATE_TEST_SUITE_P(Codes, TrayMouse,
                         ::testing::Values(MouseCase{"LeftButtonUp", WM_LBUTTONUP, true},
                                           MouseCase{"LeftDoubleClick", WM_LBUTTONDBLCLK, true},
                                           MouseCase{"LeftButtonDown", WM_LBUTTONDOWN, false},
                                           MouseCase{"MiddleButtonUp", WM_MBUTTONUP, false},
                                           MouseCase{"MouseMove", WM_MOUSEMOVE, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayEndToEnd, ClosingTwiceKeepsOneIconThatStillRestoresTheWindow) {
  CloseToTray();
  PostTrayMessage(window_, WM_LBUTTONUP);
  ASSERT_TRUE(Eventually(Shown, window_));
  CloseToTray();
  // The second close left the first icon up and the window's message handling as it was: the
  // window answers the icon again.
  EXPECT_TRUE(TrayIconUp(window_));
  PostTrayMessage(window_, WM_LBUTTONUP);
  EXPECT_TRUE(Eventually(Shown, window_));
  EXPECT_TRUE(program_.Running());
}

TEST_F(TrayEndToEnd, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
  CloseToTray();
  // A restarting shell loses every icon, then announces the new taskbar.
  ASSERT_TRUE(RemoveTrayIcon(window_));
  ASSERT_FALSE(TrayIconUp(window_));
  BroadcastTaskbarCreated();
  EXPECT_TRUE(Eventually(IconUp, window_)) << "the hidden window was left without an icon";
  PostTrayMessage(window_, WM_LBUTTONUP);
  EXPECT_TRUE(Eventually(Shown, window_));
}

// The right button opens the menu; the items are picked with the keyboard by their place, so
// each case also pins the order 打开界面, 帮助提示, 关闭软件.
enum class MenuOutcome { kWindowShown, kHelpBox, kProgramEnds, kNothing };

struct MenuCase {
  const char* name;
  std::vector<WORD> keys;
  MenuOutcome outcome;
};

class TrayMenu : public TrayEndToEnd, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(TrayMenu, RightButtonOpensTheMenuAndItsItemsDoTheirWork) {
  CloseToTray();
  PostTrayMessage(window_, WM_RBUTTONUP);
  const HWND menu = WaitForPopupMenu(program_.id(), kChangeTimeoutMs);
  ASSERT_NE(menu, nullptr) << "no menu";
  PressMenuKeys(menu, GetParam().keys);
  switch (GetParam().outcome) {
    case MenuOutcome::kWindowShown:
      EXPECT_TRUE(Eventually(Shown, window_)) << "打开界面 did not show the window";
      break;
    case MenuOutcome::kHelpBox: {
      const HWND box = WaitForMessageBox(program_.id(), kChangeTimeoutMs);
      ASSERT_NE(box, nullptr) << "帮助提示 showed no box";
      EXPECT_EQ(WindowText(box), L"友情提醒");
      EXPECT_TRUE(PressMessageBoxButton(box, IDOK));
      EXPECT_TRUE(Hidden(window_));
      break;
    }
    case MenuOutcome::kProgramEnds: {
      ASSERT_EQ(WaitForSingleObject(program_.handle(), kChangeTimeoutMs), WAIT_OBJECT_0)
          << "关闭软件 did not end the program";
      DWORD code = 1;
      GetExitCodeProcess(program_.handle(), &code);
      EXPECT_EQ(code, 0u);
      EXPECT_FALSE(TrayIconUp(window_)) << "the icon outlived the program";
      return;
    }
    case MenuOutcome::kNothing:
      Sleep(500);
      EXPECT_TRUE(Hidden(window_));
      break;
  }
  EXPECT_EQ(WaitForPopupMenu(program_.id(), 0), nullptr) << "the menu is still open";
  EXPECT_TRUE(TrayIconUp(window_));
  EXPECT_TRUE(program_.Running());
}

INSTANTIATE_TEST_SUITE_P(
    Items, TrayMenu,
    ::testing::Values(
        MenuCase{"First", {VK_DOWN, VK_RETURN}, MenuOutcome::kWindowShown},
        MenuCase{"Second", {VK_DOWN, VK_DOWN, VK_RETURN}, MenuOutcome::kHelpBox},
        MenuCase{"Third", {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}, MenuOutcome::kProgramEnds},
        MenuCase{"Escape", {VK_ESCAPE}, MenuOutcome::kNothing}),
    [](const auto& info) { return std::string(info.param.name); });

// The first copy's window as a second start finds it.
enum class FirstCopy { kVisibleBehind, kMinimised, kInTray };

struct SecondStartCase {
  const char* name;
  FirstCopy first;
};

class SecondStart : public TrayEndToEnd, public ::testing::WithParamInterface<SecondStartCase> {};

TEST_P(SecondStart, BringsTheRunningCopyForwardAndEndsWithoutAWindow) {
  switch (GetParam().first) {
    case FirstCopy::kVisibleBehind:
      // The window takes the foreground once it is shown; the bystander comes after that.
      ASSERT_TRUE(Eventually(InFront, window_));
      break;
    case FirstCopy::kMinimised:
      ShowWindow(window_, SW_MINIMIZE);
      ASSERT_TRUE(Eventually([](HWND w) { return IsIconic(w) != FALSE; }, window_));
      break;
    case FirstCopy::kInTray:
      CloseToTray();
      break;
  }
  Bystander bystander;
  ASSERT_NE(GetForegroundWindow(), window_);

  auto second = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
  ASSERT_TRUE(second) << "cannot start the second copy";
  const DWORD start = GetTickCount();
  bool own_window = false;
  while (second->Running() && GetTickCount() - start < kSecondCopyTimeoutMs) {
    own_window = own_window || WaitForWindow(second->id(), kToolboxWindowClass, 0, false);
    Sleep(20);
  }
  ASSERT_FALSE(second->Running()) << "the second copy keeps running";
  DWORD code = 1;
  GetExitCodeProcess(second->handle(), &code);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(own_window) << "the second copy made a window";
  EXPECT_EQ(WaitForMessageBox(second->id(), 0), nullptr);

  EXPECT_TRUE(Eventually(InFront, window_))
      << "the first copy's window is not in front: visible " << IsWindowVisible(window_)
      << ", minimised " << IsIconic(window_) << ", foreground " << GetForegroundWindow()
      << " (bystander " << bystander.window() << ", toolbox " << window_ << ")";
  EXPECT_TRUE(program_.Running());
}

INSTANTIATE_TEST_SUITE_P(FirstCopyStates, SecondStart,
                         ::testing::Values(SecondStartCase{"Visible", FirstCopy::kVisibleBehind},
                                           SecondStartCase{"Minimised", FirstCopy::kMinimised},
                                           SecondStartCase{"HiddenInTray", FirstCopy::kInTray}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvo::e2e
