// The toolbox window built in this process, so its own fonts can be measured: every caption must
// be readable in full at the fixed control sizes.
#include <gtest/gtest.h>

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

TEST(ToolboxWindowLayout, EveryCaptionFitsItsControl) {
  Win32System platform;
  Toolbox toolbox;
  ToolboxWindow window(platform.system(), toolbox);
  ASSERT_TRUE(window.Create(GetModuleHandleW(nullptr)));
  for (const ControlSpec& spec : ControlTable()) {
    if (spec.kind == ControlKind::ShapeBox || spec.kind == ControlKind::PictureBox)
      continue;
    SCOPED_TRACE(spec.name);
    HWND control = GetDlgItem(window.hwnd(), ControlId(spec.control));
    ASSERT_NE(control, nullptr);
    const std::wstring caption = GbkToUtf16(window.Caption(spec.control)).c_str();
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    int room = spec.width;
    if (spec.kind == ControlKind::RadioButton || spec.kind == ControlKind::CheckBox) {
      room -= kCheckAreaWidth;
    } else if (spec.kind == ControlKind::PushButton) {
      room -= kButtonMargin;
    }
    EXPECT_LE(size.cx, room) << "the caption needs " << size.cx << " pixels";
    EXPECT_LE(size.cy, spec.height);
  }
}

}  // namespace
}  // namespace kelvo
