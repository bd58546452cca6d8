// Win32Dialogs: plain boxes answered by a timer, and the self-closing box, alone and nested.
// Every test runs under a watchdog that presses the buttons of a box left up too long.
#include "platform/win32/win32_dialogs.h"

#include <gtest/gtest.h>

#include "win_test_support.h"

namespace kelvo {
namespace {

using test::BoxWatchdog;
using test::MessageBoxesOfThread;
using test::Stopwatch;
using test::ThreadTimer;

// The box of this thread with the given title, or nullptr.
HWND BoxTitled(const wchar_t* title) {
  for (HWND box : MessageBoxesOfThread(::GetCurrentThreadId())) {
    wchar_t text[64] = L"";
    ::GetWindowTextW(box, text, 64);
    if (std::wstring(text) == title) return box;
  }
  return nullptr;
}

class DialogsTest : public ::testing::Test {
 protected:
  ~DialogsTest() override {
    EXPECT_FALSE(watchdog_.fired()) << "a box stayed up and had to be closed by the watchdog";
  }

  BoxWatchdog watchdog_{10000};
  Win32Dialogs dialogs_;
};

TEST_F(DialogsTest, PlainBoxShowsItsTextsAndAnswersThePressedButton) {
  struct Case {
    std::uint32_t style;
    int button;
  };
  for (const Case& c : {Case{kBoxOk, IDOK}, Case{kBoxYesNo | kBoxIconExclamation, IDYES},
                        Case{kBoxYesNo | kBoxTaskModal, IDNO}}) {
    std::wstring seen_text, seen_title;
    ThreadTimer press(100, [&] {
      const auto boxes = MessageBoxesOfThread(::GetCurrentThreadId());
      if (boxes.size() != 1) return;
      wchar_t text[64] = L"";
      ::GetDlgItemTextW(boxes[0], 0xFFFF, text, 64);
      seen_text = text;
      ::GetWindowTextW(boxes[0], text, 64);
      seen_title = text;
      ::SendMessageW(::GetDlgItem(boxes[0], c.button), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dialogs_.ShowMessageBox(0, "3DMAX重置完成！", "通知", c.style), c.button);
    EXPECT_EQ(seen_text, L"3DMAX重置完成！");
    EXPECT_EQ(seen_title, L"通知");
  }
}

TEST_F(DialogsTest, TimedBoxClosesItselfAndAnswersTimeout) {
  for (std::uint32_t style : {kBoxOk, kBoxYesNo, kBoxIconInformation}) {
    Stopwatch clock;
    EXPECT_EQ(dialogs_.ShowTimedMessageBox(0, "MAX进程优先级已调至最低。", "友情提醒", style, 300),
              kAnswerTimeout);
    EXPECT_GE(clock.ElapsedMs(), 290);
    EXPECT_LT(clock.ElapsedMs(), 2000);
    EXPECT_TRUE(MessageBoxesOfThread(::GetCurrentThreadId()).empty());
  }
}

TEST_F(DialogsTest, TimedBoxClosedByTheUserAnswersTheButton) {
  ThreadTimer press(100, [] {
    if (HWND box = BoxTitled(L"友情提醒")) {
      ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    }
  });
  Stopwatch clock;
  EXPECT_EQ(dialogs_.ShowTimedMessageBox(0, "帮助", "友情提醒", kBoxOk, 5000), kAnswerOk);
  EXPECT_LT(clock.ElapsedMs(), 2000);
}

TEST_F(DialogsTest, TimersKeepFiringWhileATimedBoxIsUp) {
  ThreadTimer ticking(
      50, [] {}, /*repeat=*/true);
  EXPECT_EQ(dialogs_.ShowTimedMessageBox(0, "tick", "友情提醒", kBoxOk, 600), kAnswerTimeout);
  EXPECT_GE(ticking.ticks(), 6);
}

TEST_F(DialogsTest, TimedBoxWithAnOwnerClosesItself) {
  const auto owner = test::MakeWindow(L"工具箱", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  ASSERT_TRUE(owner);
  HWND seen_owner = nullptr;
  ThreadTimer look(100, [&] {
    if (HWND box = BoxTitled(L"友情提醒")) seen_owner = ::GetParent(box);
  });
  EXPECT_EQ(dialogs_.ShowTimedMessageBox(reinterpret_cast<WindowHandle>(owner.get()), "x",
                                         "友情提醒", kBoxOk, 300),
            kAnswerTimeout);
  EXPECT_EQ(seen_owner, owner.get());
  EXPECT_TRUE(::IsWindowEnabled(owner.get()));
}

// A timer handler opens a second timed box while the first is up. Each box must end when its
// own time is up: the inner one neither earlier (ended by the outer box's timer) nor later.
TEST_F(DialogsTest, NestedTimedBoxesEachCloseTheirOwn) {
  struct Case {
    const char* label;
    std::uint32_t outer_ms;
    std::uint32_t inner_ms;  // the inner box opens 100 ms after the outer one
  };
  for (const Case& c : {Case{"outer ends first", 300, 900}, Case{"inner ends first", 900, 300}}) {
    SCOPED_TRACE(c.label);
    int inner_answer = 0;
    std::int64_t inner_lasted = -1;
    bool outer_up_after_inner = false;
    ThreadTimer open_inner(100, [&] {
      Stopwatch inner_clock;
      inner_answer = dialogs_.ShowTimedMessageBox(0, "内层", "inner", kBoxOk, c.inner_ms);
      inner_lasted = inner_clock.ElapsedMs();
      const HWND outer = BoxTitled(L"outer");
      outer_up_after_inner = outer != nullptr && ::IsWindowVisible(outer);
    });
    Stopwatch clock;
    EXPECT_EQ(dialogs_.ShowTimedMessageBox(0, "外层", "outer", kBoxOk, c.outer_ms), kAnswerTimeout);
    const std::int64_t outer_lasted = clock.ElapsedMs();

    EXPECT_EQ(inner_answer, kAnswerTimeout);
    EXPECT_GE(inner_lasted, c.inner_ms - 10);
    EXPECT_LT(inner_lasted, c.inner_ms + 1000);
    // The outer box cannot return before the inner one, which runs on top of it.
    EXPECT_GE(outer_lasted, std::max<std::int64_t>(c.outer_ms, 100 + c.inner_ms) - 10);
    EXPECT_LT(outer_lasted, std::max<std::int64_t>(c.outer_ms, 100 + c.inner_ms) + 1000);
    EXPECT_EQ(outer_up_after_inner, c.outer_ms > 100 + c.inner_ms);
  }
}

}  // namespace
}  // namespace kelvo
