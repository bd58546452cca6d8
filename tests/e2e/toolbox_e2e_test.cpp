// The whole program started as a user starts it, driven from another process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "platform/win32/text_conversion.h"
#include "tests/e2e/driver/driver.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kBoxTimeoutMs = 10000;

std::wstring Wide(const std::string& gbk) {
  return GbkToUtf16(gbk).c_str();
}

std::wstring ExpectedClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::RadioButton:
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
      return L"Button";
    default:
      return L"Static";
  }
}

// One toolbox for the whole suite, as a user has one running.
class ToolboxEndToEnd : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::wstring exe = Environment(L"KELVO_TOOLBOX_EXE");
    ASSERT_FALSE(exe.empty()) << "KELVO_TOOLBOX_EXE is not set";
    auto started = StartProgram(exe);
    ASSERT_TRUE(started) << "cannot start the toolbox, error " << GetLastError();
    program_ = new Started(std::move(*started));
    window_ = WaitForWindow(program_->id(), kToolboxWindowClass, kStartTimeoutMs);
    ASSERT_NE(window_, nullptr) << "the toolbox window did not come up";
  }
  static void TearDownTestSuite() {
    delete program_;
    program_ = nullptr;
  }

  static HWND Control(Control control) { return GetDlgItem(window_, ControlId(control)); }

  static inline Started* program_ = nullptr;
  static inline HWND window_ = nullptr;
};

TEST_F(ToolboxEndToEnd, WindowShowsTitleAndEveryControlInPlace) {
  EXPECT_EQ(WindowText(window_), L"KelvoMAX工具箱_V0.10");
  EXPECT_TRUE(IsWindowVisible(window_));
  const RECT client = ClientRectOf(window_);
  for (const ControlDef& def : ControlTable()) {
    SCOPED_TRACE(Wide(def.name));
    auto control = FindControl(window_, ControlId(def.control));
    ASSERT_TRUE(control);
    EXPECT_EQ(control->window_class, ExpectedClass(def.kind));
    const std::string caption = def.control == Control::透明标签3 ? HelpHint() : def.caption;
    // The status label is rewritten every second; the status test follows its texts.
    if (def.control != Control::透明标签1) {
      EXPECT_EQ(control->caption, Wide(caption));
    }
    EXPECT_EQ(control->rect.left, def.x);
    EXPECT_EQ(control->rect.top, def.y);
    EXPECT_EQ(control->rect.right - control->rect.left, def.width);
    EXPECT_EQ(control->rect.bottom - control->rect.top, def.height);
    // Everything lies inside the client area: nothing is cut off by the frame.
    EXPECT_LE(control->rect.right, client.right);
    EXPECT_LE(control->rect.bottom, client.bottom);
    EXPECT_TRUE(control->visible);
    EXPECT_TRUE(control->enabled);
    EXPECT_EQ(control->checked, def.control == Control::单选框1);
  }
}

TEST_F(ToolboxEndToEnd, ScreenshotIsSaved) {
  const std::wstring artifacts = Environment(L"KELVO_ARTIFACTS");
  if (artifacts.empty()) GTEST_SKIP() << "KELVO_ARTIFACTS is not set";
  SetForegroundWindow(window_);
  Sleep(500);
  const std::wstring name = Environment(L"KELVO_SCREENSHOT_NAME");
  const std::wstring path = WindowsPath(artifacts) + L"\\" + (name.empty() ? L"toolbox.bmp" : name);
  CreateDirectoryW(WindowsPath(artifacts).c_str(), nullptr);
  EXPECT_TRUE(SaveScreenshot(path));
}

TEST_F(ToolboxEndToEnd, HintLabelOpensTheHelpBox) {
  PressOnControl(window_, ControlId(Control::透明标签3));
  HWND box = WaitForMessageBox(program_->id(), kBoxTimeoutMs);
  ASSERT_NE(box, nullptr) << "no help box";
  EXPECT_EQ(WindowText(box), L"友情提醒");
  EXPECT_EQ(MessageBoxText(box), Wide(HelpText()));
  // The information icon sits in the box's icon static.
  HWND icon = GetDlgItem(box, 0x440);
  EXPECT_NE(icon, nullptr);
  EXPECT_TRUE(PressMessageBoxButton(box, IDOK));
  EXPECT_TRUE(program_->Running());
}

// Runs last in the suite: the window is hidden afterwards.
TEST_F(ToolboxEndToEnd, ZClosingHidesTheWindowAndKeepsTheProgram) {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  struct Context {
    HWND window;
  } context{window_};
  EXPECT_TRUE(WaitUntil(
      5000, [](void* c) { return !IsWindowVisible(static_cast<Context*>(c)->window); }, &context));
  EXPECT_TRUE(IsWindow(window_));
  Sleep(300);
  EXPECT_TRUE(program_->Running());
}

// The stand-in for 3ds Max that later tests drive: its window as each start option leaves it.
struct StandInCase {
  const wchar_t* options;
  bool main_visible;
  bool main_minimised;
  bool dialog_visible;
};

class StandIn : public ::testing::TestWithParam<StandInCase> {};

TEST_P(StandIn, ShowsItsWindowAsAsked) {
  const StandInCase& c = GetParam();
  auto max = StartProgram(Environment(L"KELVO_STANDIN_EXE"), c.options);
  ASSERT_TRUE(max);
  ASSERT_NE(WaitForWindow(max->id(), L"Qt5QWindowIcon", kStartTimeoutMs, false), nullptr);
  Sleep(300);
  // The main window is the one without an owner; the dialog is owned by it.
  HWND main = nullptr;
  HWND popup = nullptr;
  for (HWND w = FindWindowExW(nullptr, nullptr, L"Qt5QWindowIcon", nullptr); w;
       w = FindWindowExW(nullptr, w, L"Qt5QWindowIcon", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != max->id()) continue;
    (GetParent(w) ? popup : main) = w;
  }
  ASSERT_NE(main, nullptr);
  EXPECT_NE(WindowText(main).find(L"- Autodesk 3ds Max"), std::wstring::npos);
  EXPECT_EQ(static_cast<bool>(IsWindowVisible(main)), c.main_visible);
  EXPECT_EQ(static_cast<bool>(IsIconic(main)), c.main_minimised);
  EXPECT_EQ(popup != nullptr && IsWindowVisible(popup), c.dialog_visible);
}

INSTANTIATE_TEST_SUITE_P(Options, StandIn,
                         ::testing::Values(StandInCase{L"", true, false, false},
                                           StandInCase{L"--minimised", true, true, false},
                                           StandInCase{L"--hidden", false, false, false},
                                           StandInCase{L"--dialog-only", false, false, true}));

}  // namespace
}  // namespace kelvo::e2e
