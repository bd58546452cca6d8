// The status label of the running program: processor and memory load once a second.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "tests/e2e/driver/driver.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kStartTimeoutMs = 20000;
// The first tick comes 1 s after the window's creation; Wine gets a little slack on top.
constexpr DWORD kFirstStatusMs = 2500;

TEST(StatusEndToEnd, TheLabelTurnsFromReadingToProcessorAndMemoryLoad) {
  auto started = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
  ASSERT_TRUE(started) << "cannot start the toolbox";
  const HWND window = WaitForWindow(started->id(), kToolboxWindowClass, kStartTimeoutMs);
  ASSERT_NE(window, nullptr) << "the toolbox window did not come up";
  const DWORD shown = GetTickCount();
  const HWND label = GetDlgItem(window, ControlId(Control::透明标签1));
  ASSERT_NE(label, nullptr);

  EXPECT_EQ(WindowText(label), L"读取中...");
  std::wstring text;
  do {
    Sleep(50);
    text = WindowText(label);
  } while (text == L"读取中..." && GetTickCount() - shown < kFirstStatusMs);

  const std::wregex status(L"CPU占用率：(\\d+) %\r\n内存使用率：(\\d+) %");
  std::wsmatch numbers;
  ASSERT_TRUE(std::regex_match(text, numbers, status))
      << "status text: " << testing::PrintToString(text);
  EXPECT_LE(std::stoi(numbers[1].str()), 100);
  EXPECT_LE(std::stoi(numbers[2].str()), 100);
  // Plain decimal: no leading zeros.
  for (int i = 1; i <= 2; ++i) {
    EXPECT_TRUE(numbers[i].length() == 1 || numbers[i].str()[0] != L'0') << numbers[i].str().size();
  }
}

}  // namespace
}  // namespace kelvo::e2e
