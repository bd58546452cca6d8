// 防止渲图死机 on the running program with a stand-in for 3ds Max: priority, processors and the
// state of 按钮8 as the guard is ticked and cleared.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/e2e/toolbox_fixture.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kStatusSeesMaxMs = 1500;

using FreezeGuardEndToEnd = RunningToolbox;

// Polls until the condition holds or about two seconds have passed.
template <typename Condition>
bool Eventually(Condition condition) {
  for (int i = 0; i < 100; ++i) {
    if (condition()) return true;
    Sleep(20);
  }
  return condition();
}

TEST_F(FreezeGuardEndToEnd, TickingLowersTheStandInAndClearingRestoresIt) {
  auto standin = StartProgram(Environment(L"KELVO_STANDIN_EXE"));
  ASSERT_TRUE(standin) << "cannot start the stand-in";
  Sleep(kStatusSeesMaxMs);
  const HWND button8 = GetDlgItem(window_, ControlId(Control::按钮8));
  DWORD_PTR all_processors = 0;
  DWORD_PTR system_mask = 0;
  GetProcessAffinityMask(GetCurrentProcess(), &all_processors, &system_mask);

  ClickControl(window_, ControlId(Control::选择框2));
  EXPECT_TRUE(
      Eventually([&] { return GetPriorityClass(standin->handle()) == IDLE_PRIORITY_CLASS; }));
  EXPECT_TRUE(Eventually([&] { return !IsWindowEnabled(button8); }));
  EXPECT_EQ(WindowText(button8), L"恢复默认");
  EXPECT_TRUE(Checked(Control::选择框2));
  // Let a few guard ticks run: whatever they decide, the label says one of its two words.
  Sleep(2500);
  const std::wstring label = WindowText(GetDlgItem(window_, ControlId(Control::透明标签2)));
  EXPECT_TRUE(label == L"已压制" || label == L"未压制") << label.size();

  ClickControl(window_, ControlId(Control::选择框2));
  EXPECT_TRUE(Eventually([&] { return IsWindowEnabled(button8) != FALSE; }));
  EXPECT_EQ(GetPriorityClass(standin->handle()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
  DWORD_PTR standin_mask = 0;
  ASSERT_TRUE(GetProcessAffinityMask(standin->handle(), &standin_mask, &system_mask));
  EXPECT_EQ(standin_mask, all_processors);
  EXPECT_EQ(WindowText(button8), L"低优先级");
  EXPECT_EQ(WindowText(GetDlgItem(window_, ControlId(Control::透明标签2))), L"");
  EXPECT_EQ(WaitForMessageBox(program_.id(), 300), nullptr);
}

TEST_F(FreezeGuardEndToEnd, TickingWithoutMaxSaysSoAndClearsTheBox) {
  ClickControl(window_, ControlId(Control::选择框2));
  const Box box = Answer(IDOK);
  EXPECT_EQ(box.title, L"通知");
  EXPECT_EQ(box.text, L"未找到MAX进程，请开启MAX再开启此功能。");
  EXPECT_FALSE(Checked(Control::选择框2));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window_, ControlId(Control::按钮8))));
}

}  // namespace
}  // namespace kelvo::e2e
