// The toolbox window built in this process, so its fonts, tooltips and cursor can be examined.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_system.h"

namespace kelvo {
namespace {

// Radio buttons and check boxes give the box 13 pixels and a 4-pixel gap before the text (the
// text starts 17 pixels in, as the screenshot shows).
constexpr int kCheckAreaWidth = 17;
// Push buttons keep a margin inside their frame.
constexpr int kButtonMargin = 8;

class ToolboxWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr))) << "error " << GetLastError();
  }

  HWND ControlWindow(Control control) { return GetDlgItem(window_.hwnd(), ControlId(control)); }

  Win32System platform_;
  Toolbox toolbox_;
  TrayIcon tray_{platform_.system()};
  ToolboxWindow window_{platform_.system(), toolbox_, tray_};
};

// Every caption must be readable in full at the fixed control sizes.
TEST_F(ToolboxWindowTest, EveryCaptionFitsItsControl) {
  ToolboxWindow& window = window_;
  for (const ControlDef& def : ControlTable()) {
    if (def.kind == ControlKind::ShapeBox || def.kind == ControlKind::PictureBox) continue;
    SCOPED_TRACE(def.name);
    HWND control = GetDlgItem(window.hwnd(), ControlId(def.control));
    ASSERT_NE(control, nullptr);
    const std::wstring caption = GbkToUtf16(window.Caption(def.control)).c_str();
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    int room = def.width;
    if (def.kind == ControlKind::RadioButton || def.kind == ControlKind::CheckBox) {
      room -= kCheckAreaWidth;
    } else if (def.kind == ControlKind::PushButton) {
      room -= kButtonMargin;
    }
    EXPECT_LE(size.cx, room) << "the caption needs " << size.cx << " pixels";
    EXPECT_LE(size.cy, def.height);
  }
}

TEST_F(ToolboxWindowTest, ElevenBalloonTipsInTableOrder) {
  HWND tooltip = nullptr;
  for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
       w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr)) {
    if (GetWindow(w, GW_OWNER) == window_.hwnd()) tooltip = w;
  }
  ASSERT_NE(tooltip, nullptr);
  const LONG style = GetWindowLongW(tooltip, GWL_STYLE);
  EXPECT_EQ(style & (TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON),
            TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON);
  const auto tips = TooltipTable();
  ASSERT_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), static_cast<LRESULT>(tips.size()));
  for (std::size_t i = 0; i < tips.size(); ++i) {
    SCOPED_TRACE(Definition(tips[i].control).name);
    wchar_t text[1024] = {};
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszText = text;
    ASSERT_TRUE(SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.uId, reinterpret_cast<UINT_PTR>(ControlWindow(tips[i].control)));
    EXPECT_EQ(info.uFlags & (TTF_IDISHWND | TTF_SUBCLASS | TTF_CENTERTIP),
              static_cast<UINT>(TTF_IDISHWND | TTF_SUBCLASS));
    EXPECT_EQ(std::wstring(text), std::wstring(GbkToUtf16(tips[i].text).c_str()));
  }
}

// The pointer over a control, as the window answers WM_SETCURSOR for it.
TEST_F(ToolboxWindowTest, HandPointerOverButtonsAndHintLabelOnly) {
  HCURSOR hand = LoadCursorW(nullptr, IDC_HAND);
  for (const ControlDef& def : ControlTable()) {
    SCOPED_TRACE(def.name);
    SetCursor(nullptr);
    SendMessageW(window_.hwnd(), WM_SETCURSOR, reinterpret_cast<WPARAM>(ControlWindow(def.control)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    const bool wants_hand =
        def.kind == ControlKind::PushButton || def.control == Control::透明标签3;
    EXPECT_EQ(GetCursor() == hand, wants_hand);
  }
}

TEST_F(ToolboxWindowTest, HintLabelTurnsRedUnderTheMouseAndBlackOverTheFreeArea) {
  EXPECT_EQ(window_.TextColour(Control::透明标签3), kColourBlack);
  SendMessageW(window_.hwnd(), WM_SETCURSOR,
               reinterpret_cast<WPARAM>(ControlWindow(Control::透明标签3)),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(window_.TextColour(Control::透明标签3), kColourRed);
  SendMessageW(window_.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(window_.TextColour(Control::透明标签3), kColourBlack);
}

TEST_F(ToolboxWindowTest, TrayMenuHoldsItsThreeItemsInOrder) {
  HMENU menu = window_.tray_menu();
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  const auto items = TrayMenuTable();
  for (int i = 0; i < 3; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(text), std::wstring(GbkToUtf16(items[i].caption).c_str()));
  }
}

// The status text has two lines; a static drawn as a single line shows its line break as boxes.
TEST_F(ToolboxWindowTest, StatusLabelsDrawMoreThanOneLine) {
  for (Control label : {Control::透明标签1, Control::透明标签2}) {
    const LONG style = GetWindowLongW(ControlWindow(label), GWL_STYLE);
    EXPECT_EQ(style & SS_CENTERIMAGE, 0);
    EXPECT_EQ(style & SS_TYPEMASK, SS_LEFT);
  }
}

TEST_F(ToolboxWindowTest, TimersStartAsDefined) {
  EXPECT_EQ(window_.TimerPeriod(Timer::时钟1), 1000u);
  EXPECT_EQ(window_.TimerPeriod(Timer::时钟2), 0u);
}

}  // namespace
}  // namespace kelvo
