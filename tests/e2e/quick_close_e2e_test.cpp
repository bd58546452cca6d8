// 快速关闭 on the running program: it ends every 3ds Max, whatever the letter case of its name.
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
  auto small = StartProgram(Environment(L"KELVO_STANDIN_EXE"));
  ASSERT_TRUE(small) << "cannot start the stand-in";
  const std::wstring capital_path = CapitalStandIn();
  ASSERT_FALSE(capital_path.empty()) << "cannot copy the stand-in";
  auto capital = StartProgram(capital_path);
  ASSERT_TRUE(capital) << "cannot start the stand-in named in capitals";
  Sleep(kStatusSeesMaxMs);

  const Box box = ClickAndAnswer(Control::按钮3);
  EXPECT_EQ(box.title, L"信息：");
  EXPECT_EQ(box.text, L"所有MAX窗口已关闭。");
  EXPECT_EQ(WaitForSingleObject(small->handle(), kStandInTimeoutMs), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(capital->handle(), kStandInTimeoutMs), WAIT_OBJECT_0);
  EXPECT_TRUE(program_.Running());
}

}  // namespace
}  // namespace kelvo::e2e
