// 强力唤醒 on the running program: a minimised 3ds Max comes back maximised.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "tests/e2e/driver/driver.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kBoxTimeoutMs = 10000;
constexpr DWORD kWakeTimeoutMs = 5000;
constexpr wchar_t kStandInTitle[] = L"无标题 - Autodesk 3ds Max 2020";

// Handles this process's own window messages while it waits, so another process may send to
// the look-alike window below without blocking.
void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
    Sleep(20);
  }
}

// A window of another program that happens to carry the 3ds Max title.
HWND CreateLookAlike() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"KelvoLookAlike";
  RegisterClassW(&window_class);
  HWND window = CreateWindowW(L"KelvoLookAlike", kStandInTitle, WS_OVERLAPPEDWINDOW, 120, 120, 300,
                              200, nullptr, nullptr, window_class.hInstance, nullptr);
  ShowWindow(window, SW_SHOWMINNOACTIVE);
  return window;
}

HWND StartToolbox(std::optional<Started>& toolbox) {
  toolbox = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
  if (!toolbox) return nullptr;
  return WaitForWindow(toolbox->id(), kToolboxWindowClass, kStartTimeoutMs);
}

TEST(StrongWakeEndToEnd, WithoutMaxTheButtonSaysNoProcessWasFound) {
  std::optional<Started> toolbox;
  const HWND window = StartToolbox(toolbox);
  ASSERT_NE(window, nullptr) << "the toolbox window did not come up";

  ClickControl(window, ControlId(Control::按钮1));

  const HWND box = WaitForMessageBox(toolbox->id(), kBoxTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), L"错误");
  EXPECT_EQ(MessageBoxText(box), L"未找到进程！");
  EXPECT_TRUE(PressMessageBoxButton(box, IDOK));
}

TEST(StrongWakeEndToEnd, AMinimisedMaxComesBackMaximisedAndALookAlikeIsLeftAlone) {
  auto max = StartProgram(Environment(L"KELVO_STANDIN_EXE"), L"--minimised");
  ASSERT_TRUE(max);
  const HWND max_window = WaitForWindow(max->id(), L"Qt5QWindowIcon", kStartTimeoutMs);
  ASSERT_NE(max_window, nullptr);
  const HWND look_alike = CreateLookAlike();
  ASSERT_NE(look_alike, nullptr);
  std::optional<Started> toolbox;
  const HWND window = StartToolbox(toolbox);
  ASSERT_NE(window, nullptr) << "the toolbox window did not come up";
  ASSERT_TRUE(IsIconic(max_window));
  // A status tick has seen 3ds Max by then.
  PumpFor(1500);

  ClickControl(window, ControlId(Control::按钮1));

  const DWORD clicked = GetTickCount();
  while (!(IsZoomed(max_window) && !IsIconic(max_window)) &&
         GetTickCount() - clicked < kWakeTimeoutMs) {
    PumpFor(50);
  }
  EXPECT_TRUE(IsZoomed(max_window));
  EXPECT_FALSE(IsIconic(max_window));
  EXPECT_TRUE(IsWindowVisible(max_window));
  PumpFor(300);
  EXPECT_TRUE(IsIconic(look_alike));
  EXPECT_FALSE(IsZoomed(look_alike));
  // No closing message.
  EXPECT_EQ(WaitForMessageBox(toolbox->id(), 500), nullptr);
  DestroyWindow(look_alike);
}

}  // namespace
}  // namespace kelvo::e2e
