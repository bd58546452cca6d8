// 快速关闭 and 低优先级 on the running program: they end or re-prioritise every 3ds Max, whatever
// the letter case of its name.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "tests/e2e/driver/driver.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kBoxTimeoutMs = 10000;
// Long enough for a status tick (one a second) to have seen the stand-ins.
constexpr DWORD kStatusSeesMaxMs = 1500;
constexpr DWORD kStandInTimeoutMs = 10000;

class QuickCloseEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    auto started = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
    ASSERT_TRUE(started) << "cannot start the toolbox";
    program_ = std::move(*started);
    window_ = WaitForWindow(program_.id(), kToolboxWindowClass, kStartTimeoutMs);
    ASSERT_NE(window_, nullptr) << "the toolbox window did not come up";
  }

  void TearDown() override {
    program_.Stop();
    small_.Stop();
    capital_.Stop();
    if (!capital_copy_.empty()) {
      DeleteFileW(capital_copy_.c_str());
      RemoveDirectoryW(folder_.c_str());
    }
  }

  // The stand-in copied into a folder of its own under the name in capital letters.
  std::wstring CapitalStandIn() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"kelvo-quick-close-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
    capital_copy_ = folder_ + L"\\3DSMAX.EXE";
    if (!CopyFileW(WindowsPath(Environment(L"KELVO_STANDIN_EXE")).c_str(), capital_copy_.c_str(),
                   FALSE)) {
      return {};
    }
    return capital_copy_;
  }

  struct Box {
    std::wstring title;
    std::wstring text;
  };

  Box ClickAndAnswer(Control control) {
    ClickControl(window_, ControlId(control));
    HWND box = WaitForMessageBox(program_.id(), kBoxTimeoutMs);
    if (!box) return {L"<no box>", L""};
    Box seen{WindowText(box), MessageBoxText(box)};
    EXPECT_TRUE(PressMessageBoxButton(box, IDOK));
    return seen;
  }

  // Starts the two stand-ins and waits until the status monitor has seen them.
  bool StartTwoStandIns() {
    auto small = StartProgram(Environment(L"KELVO_STANDIN_EXE"));
    const std::wstring capital_path = CapitalStandIn();
    if (!small || capital_path.empty()) return false;
    auto capital = StartProgram(capital_path);
    if (!capital) return false;
    small_ = std::move(*small);
    capital_ = std::move(*capital);
    Sleep(kStatusSeesMaxMs);
    return true;
  }

  bool Button8IsDefault() {
    const HWND button = GetDlgItem(window_, ControlId(Control::按钮8));
    return (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  }

  // Declared before program_ so the stand-ins end before the toolbox and the copy's folder go.
  Started small_;
  Started capital_;
  Started program_;
  HWND window_ = nullptr;
  std::wstring folder_;
  std::wstring capital_copy_;
};

TEST_F(QuickCloseEndToEnd, WithoutMaxSaysNoProcessFound) {
  const Box box = ClickAndAnswer(Control::按钮3);
  EXPECT_EQ(box.title, L"错误");
  EXPECT_EQ(box.text, L"未找到进程！");
}

TEST_F(QuickCloseEndToEnd, EndsBothStandInsWhateverTheCaseOfTheirName) {
  ASSERT_TRUE(StartTwoStandIns()) << "cannot start the stand-ins";

  const Box box = ClickAndAnswer(Control::按钮3);
  EXPECT_EQ(box.title, L"信息：");
  EXPECT_EQ(box.text, L"所有MAX窗口已关闭。");
  EXPECT_EQ(WaitForSingleObject(small_.handle(), kStandInTimeoutMs), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(capital_.handle(), kStandInTimeoutMs), WAIT_OBJECT_0);
  EXPECT_TRUE(program_.Running());
}

TEST_F(QuickCloseEndToEnd, LowPriorityLowersBothStandInsAndTheNextClickRestoresThem) {
  ASSERT_TRUE(StartTwoStandIns()) << "cannot start the stand-ins";
  struct Step {
    const wchar_t* notice;
    DWORD priority_class;
    const wchar_t* caption;
    bool is_default;
  };
  const Step steps[] = {
      {L"MAX进程优先级已调至最低。", IDLE_PRIORITY_CLASS, L"恢复默认", true},
      {L"MAX进程优先级已恢复默认。", NORMAL_PRIORITY_CLASS, L"低优先级", false},
  };
  for (const Step& step : steps) {
    ClickControl(window_, ControlId(Control::按钮8));
    // One notice per 3ds Max.
    for (int notice = 0; notice < 2; ++notice) {
      HWND box = WaitForMessageBox(program_.id(), kBoxTimeoutMs);
      ASSERT_NE(box, nullptr) << "notice " << notice + 1 << " did not come";
      EXPECT_EQ(WindowText(box), L"友情提醒");
      EXPECT_EQ(MessageBoxText(box), step.notice);
      EXPECT_TRUE(PressMessageBoxButton(box, IDOK));
    }
    // The handler sets the caption just after the last notice closes.
    const HWND button = GetDlgItem(window_, ControlId(Control::按钮8));
    for (int i = 0; i < 100 && WindowText(button) != step.caption; ++i)
      Sleep(20);
    EXPECT_EQ(GetPriorityClass(small_.handle()), step.priority_class);
    EXPECT_EQ(GetPriorityClass(capital_.handle()), step.priority_class);
    EXPECT_EQ(WindowText(button), step.caption);
    EXPECT_EQ(Button8IsDefault(), step.is_default);
  }
}

}  // namespace
}  // namespace kelvo::e2e
