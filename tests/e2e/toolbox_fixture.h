// A fresh toolbox for every test, started as a user starts it, and the steps the tests take on
// it: choose a release, click, answer the message boxes.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "model/version_catalogue.h"
#include "tests/e2e/driver/driver.h"

namespace kelvo::e2e {

inline constexpr DWORD kStartTimeoutMs = 20000;
inline constexpr DWORD kBoxTimeoutMs = 10000;

class RunningToolbox : public ::testing::Test {
 protected:
  void SetUp() override { StartToolbox(); }
  void TearDown() override { program_.Stop(); }

  void StartToolbox() {
    program_.Stop();
    auto started = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
    ASSERT_TRUE(started) << "cannot start the toolbox";
    program_ = std::move(*started);
    window_ = WaitForWindow(program_.id(), kToolboxWindowClass, kStartTimeoutMs);
    ASSERT_NE(window_, nullptr) << "the toolbox window did not come up";
  }

  bool Checked(Control control) {
    auto info = FindControl(window_, ControlId(control));
    return info && info->checked;
  }

  void Choose(MaxVersion release) {
    ClickControl(window_, ControlId(RadioButton(release)));
    for (int i = 0; i < 100 && !Checked(RadioButton(release)); ++i)
      Sleep(20);
    ASSERT_TRUE(Checked(RadioButton(release)));
  }

  struct Box {
    std::wstring title;
    std::wstring text;
  };

  // Clicks the control and answers the message box that follows with the button.
  Box ClickAndAnswer(Control control, int button = IDOK) {
    ClickControl(window_, ControlId(control));
    return Answer(button);
  }

  Box Answer(int button, DWORD timeout_ms = kBoxTimeoutMs) {
    HWND box = WaitForMessageBox(program_.id(), timeout_ms);
    if (!box) return {L"<no box>", L""};
    Box seen{WindowText(box), MessageBoxText(box)};
    EXPECT_TRUE(PressMessageBoxButton(box, button));
    return seen;
  }

  Started program_;
  HWND window_ = nullptr;
};

}  // namespace kelvo::e2e
