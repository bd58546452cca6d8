#include "app/toolbox_window.h"

#include <commctrl.h>

#include "platform/win32/text_conversion.h"

namespace kelvo {
namespace {

constexpr UINT_PTR kTimerIds[] = {1, 2};  // 时钟1, 时钟2
// Wide enough that a tip breaks only at explicit line breaks.
constexpr int kTooltipMaxWidth = 30000;
// Tahoma 8 pt at 96 dpi, the classic dialog font: "3dsmax2014" fits its 80 x 24 radio button
// beside the check circle. Chinese characters come through Tahoma's font link.
constexpr int kFontHeight = -11;
constexpr COLORREF kWindowColour = RGB(240, 243, 247);
constexpr COLORREF kPanelColour = RGB(214, 226, 240);
constexpr COLORREF kPanelEdgeColour = RGB(150, 172, 200);

std::wstring Wide(const std::string& gbk) {
  return GbkToUtf16(gbk).c_str();
}

struct KindStyle {
  const wchar_t* window_class;
  DWORD style;
};

KindStyle StyleOf(ControlKind kind) {
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (kind) {
    case ControlKind::ShapeBox:
      return {L"Static", kChild | SS_OWNERDRAW};
    case ControlKind::RadioButton:
      return {L"Button", kChild | BS_AUTORADIOBUTTON};
    case ControlKind::PushButton:
      return {L"Button", kChild | WS_TABSTOP | BS_PUSHBUTTON};
    case ControlKind::CheckBox:
      return {L"Button", kChild | WS_TABSTOP | BS_AUTOCHECKBOX};
    case ControlKind::PictureBox:
      return {L"Static", kChild | SS_OWNERDRAW};
    case ControlKind::TransparentLabel:
      // No SS_CENTERIMAGE: it makes a static one line, and the status text has two.
      return {L"Static", kChild | SS_LEFT | SS_NOTIFY};
  }
  return {L"Static", kChild};
}

bool IsOnPanel(Control control) {
  return control == Control::透明标签1 || control == Control::透明标签2;
}

}  // namespace

ToolboxWindow::ToolboxWindow(System& system, Toolbox& toolbox, TrayIcon& tray)
    : system_(system), toolbox_(toolbox), tray_(tray) {}

ToolboxWindow::~ToolboxWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
  if (tray_menu_) DestroyMenu(tray_menu_);
  if (font_) DeleteObject(font_);
  if (window_brush_) DeleteObject(window_brush_);
  if (panel_brush_) DeleteObject(panel_brush_);
}

bool ToolboxWindow::Create(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                       GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), 0));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_brush_ = CreateSolidBrush(kWindowColour);
  panel_brush_ = CreateSolidBrush(kPanelColour);
  // The background is painted by the window itself (WM_ERASEBKGND) with its own brush, so the
  // class stays valid for a later window after this one is gone.
  window_class.lpszClassName = kToolboxWindowClass;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }

  font_ = CreateFontW(kFontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                      OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, L"Tahoma");

  constexpr DWORD kStyle =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  hwnd_ = CreateWindowExW(0, kToolboxWindowClass, Wide(kWindowTitle).c_str(), kStyle, kWindowX,
                          kWindowY, kWindowWidth, kWindowHeight, nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  // The tray icon takes the window's own small icon, which a class icon alone does not give.
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(window_class.hIconSm));
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(window_class.hIcon));

  CreateControls();
  CreateTrayMenu();
  for (const TimerDef& timer : TimerTable())
    SetTimerPeriod(timer.timer, timer.period_ms);
  OnToolboxCreated(system_, toolbox_, *this);
  AddTooltips();
  return true;
}

void ToolboxWindow::Show() {
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  SetForegroundWindow(hwnd_);
}

void ToolboxWindow::CreateControls() {
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE));
  bool first_radio = true;
  bool after_radios = false;
  for (const ControlDef& def : ControlTable()) {
    KindStyle kind = StyleOf(def.kind);
    DWORD style = kind.style;
    // The radio buttons form one group: the first starts it, the next tab stop ends it.
    if (def.kind == ControlKind::RadioButton) {
      if (first_radio) style |= WS_GROUP | WS_TABSTOP;
      first_radio = false;
      after_radios = true;
    } else if (after_radios && (style & WS_TABSTOP)) {
      style |= WS_GROUP;
      after_radios = false;
    }
    HWND control = CreateWindowExW(
        0, kind.window_class, Wide(def.caption).c_str(), style, def.x, def.y, def.width, def.height,
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(def.control))), instance,
        nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    controls_[Index(def.control)] = control;
    text_colours_[Index(def.control)] = kColourBlack;
  }
  // The frame and the status backdrop lie under the controls they surround.
  SetWindowPos(ControlWindow(Control::图片框1), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(ControlWindow(Control::外形框1), HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetChecked(Control::单选框1, true);
}

void ToolboxWindow::AddTooltips() {
  HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX | TTS_BALLOON,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                                 nullptr, nullptr, nullptr);
  if (!tooltip) return;
  SendMessageW(tooltip, TTM_SETMAXTIPWIDTH, 0, kTooltipMaxWidth);
  for (const TooltipDef& tip : TooltipTable()) {
    std::wstring text = Wide(tip.text);
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = reinterpret_cast<UINT_PTR>(ControlWindow(tip.control));
    info.lpszText = text.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
}

void ToolboxWindow::CreateTrayMenu() {
  tray_menu_ = CreatePopupMenu();
  for (const MenuItemDef& item : TrayMenuTable()) {
    AppendMenuW(tray_menu_, MF_STRING, static_cast<UINT_PTR>(item.item),
                Wide(item.caption).c_str());
  }
}

HWND ToolboxWindow::ControlWindow(Control control) const {
  return controls_[Index(control)];
}

bool ToolboxWindow::IsChecked(Control control) {
  return SendMessageW(ControlWindow(control), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void ToolboxWindow::SetChecked(Control control, bool checked) {
  SendMessageW(ControlWindow(control), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string ToolboxWindow::Caption(Control control) {
  HWND window = ControlWindow(control);
  int length = GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(window, text.data(), length + 1);
  return Utf16ToGbk(text);
}

void ToolboxWindow::SetCaption(Control control, const std::string& caption) {
  SetWindowTextW(ControlWindow(control), Wide(caption).c_str());
}

bool ToolboxWindow::IsEnabled(Control control) {
  return IsWindowEnabled(ControlWindow(control));
}

void ToolboxWindow::SetEnabled(Control control, bool enabled) {
  EnableWindow(ControlWindow(control), enabled);
}

bool ToolboxWindow::IsDefaultButton(Control control) {
  const LONG_PTR style = GetWindowLongPtrW(ControlWindow(control), GWL_STYLE);
  return (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

void ToolboxWindow::SetDefaultButton(Control control, bool is_default) {
  HWND button = ControlWindow(control);
  const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  const LONG_PTR kind = is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
  // BM_SETSTYLE replaces the whole style, so the other bits go along with the new kind; TRUE
  // redraws the button with or without the default frame at once.
  SendMessageW(button, BM_SETSTYLE, static_cast<WPARAM>((style & ~BS_TYPEMASK) | kind), TRUE);
}

void ToolboxWindow::SetTextColour(Control control, std::uint32_t colour) {
  text_colours_[Index(control)] = colour;
  InvalidateRect(ControlWindow(control), nullptr, TRUE);
}

std::uint32_t ToolboxWindow::TextColour(Control control) {
  return text_colours_[Index(control)];
}

void ToolboxWindow::SetTimerPeriod(Timer timer, std::uint32_t period_ms) {
  const auto index = static_cast<std::size_t>(timer);
  timer_periods_[index] = period_ms;
  if (period_ms == 0) {
    KillTimer(hwnd_, kTimerIds[index]);
  } else {
    SetTimer(hwnd_, kTimerIds[index], period_ms, nullptr);
  }
}

std::uint32_t ToolboxWindow::TimerPeriod(Timer timer) {
  return timer_periods_[static_cast<std::size_t>(timer)];
}

LRESULT CALLBACK ToolboxWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lparam);
    auto* self = static_cast<ToolboxWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<ToolboxWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->HandleMessage(message, wparam, lparam);
}

LRESULT ToolboxWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_TIMER:
      for (std::size_t i = 0; i < std::size(kTimerIds); ++i) {
        if (wparam == kTimerIds[i]) OnTimerTick(system_, toolbox_, *this, static_cast<Timer>(i));
      }
      return 0;
    case WM_SETCURSOR:
      if (OnSetCursor(reinterpret_cast<HWND>(wparam), LOWORD(lparam), HIWORD(lparam))) return TRUE;
      break;
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(hwnd_, &client);
      FillRect(reinterpret_cast<HDC>(wparam), &client, window_brush_);
      return TRUE;
    }
    case WM_MOUSEMOVE:
      OnMouseOverFreeArea(*this);
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return OnControlColour(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.hwndItem == ControlWindow(Control::图片框1)) {
        PaintPictureBox(item);
        return TRUE;
      }
      if (item.hwndItem == ControlWindow(Control::外形框1)) {
        RECT frame = item.rcItem;
        FillRect(item.hDC, &frame, window_brush_);
        DrawEdge(item.hDC, &frame, EDGE_ETCHED, BF_RECT);
        return TRUE;
      }
      break;
    }
    case WM_CLOSE:
      // Closing hides the toolbox into the notification area; the program goes on.
      CloseToTray();
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void ToolboxWindow::OnCommand(int id, int code) {
  if (id >= static_cast<int>(TrayMenuItem::打开界面) &&
      id <= static_cast<int>(TrayMenuItem::关闭软件) && code == 0) {
    OnTrayMenuItem(static_cast<TrayMenuItem>(id));
    return;
  }
  const int index = id - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kControlCount)) return;
  const auto control = static_cast<Control>(index);
  if (control == Control::透明标签3 && code == STN_CLICKED) {
    ShowHelpText(system_);
    return;
  }
  const ControlKind kind = Definition(control).kind;
  if (code == BN_CLICKED && (kind == ControlKind::PushButton || kind == ControlKind::CheckBox)) {
    OnControlClicked(system_, toolbox_, *this, control);
  }
}

void ToolboxWindow::OnTrayMenuItem(TrayMenuItem item) {
  switch (item) {
    case TrayMenuItem::打开界面:
      ShowAndActivate();
      break;
    case TrayMenuItem::帮助提示:
      ShowHelpText(system_);
      break;
    case TrayMenuItem::关闭软件:
      // The icon goes before the process, so the notification area keeps no dead icon.
      tray_.DeleteIcon();
      PostQuitMessage(0);
      break;
  }
}

void ToolboxWindow::CloseToTray() {
  ShowWindow(hwnd_, SW_HIDE);
  // An icon from an earlier close is still up: adding fails and that icon stays.
  tray_.AddIcon(Handle(), std::nullopt, kTrayTip);
  tray_.SweepTray(false);
  tray_.AttachWindow([this](int code) { OnTrayEvent(code); });
}

void ToolboxWindow::OnTrayEvent(int code) {
  switch (code) {
    case kRightButtonUp:
      OpenTrayMenu();
      break;
    case kLeftButtonUp:
    case kLeftButtonDoubleClick:
      ShowAndActivate();
      break;
    case kTrayTaskbarCreated:
      // A restarted shell has lost every icon; a hidden window would have no way back.
      tray_.AddIconAgain();
      break;
    default:
      break;
  }
}

void ToolboxWindow::ShowAndActivate() {
  ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void ToolboxWindow::OpenTrayMenu() {
  POINT at{};
  GetCursorPos(&at);
  // The menu closes on a click elsewhere only when its owner is the foreground window, and the
  // message after it lets the next click on the icon open it again at once.
  SetForegroundWindow(hwnd_);
  TrackPopupMenu(tray_menu_, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
}

bool ToolboxWindow::OnSetCursor(HWND over, UINT hit_test, UINT mouse_message) {
  if (over == hwnd_ || hit_test != HTCLIENT) return false;
  const int index = GetDlgCtrlID(over) - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kControlCount)) return false;
  const auto control = static_cast<Control>(index);
  if (control == Control::透明标签3 && mouse_message == WM_MOUSEMOVE) OnMouseOverHintLabel(*this);
  if (!ShowsHandCursor(control)) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

// Labels are drawn on the colour of what lies under them, so a changed text never leaves
// traces of the old one.
LRESULT ToolboxWindow::OnControlColour(HDC dc, HWND control) {
  const int index = GetDlgCtrlID(control) - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(kControlCount)) {
    return reinterpret_cast<LRESULT>(window_brush_);
  }
  const auto which = static_cast<Control>(index);
  const bool on_panel = IsOnPanel(which);
  SetTextColor(dc, text_colours_[Index(which)]);
  SetBkColor(dc, on_panel ? kPanelColour : kWindowColour);
  return reinterpret_cast<LRESULT>(on_panel ? panel_brush_ : window_brush_);
}

void ToolboxWindow::PaintPictureBox(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, panel_brush_);
  HBRUSH edge = CreateSolidBrush(kPanelEdgeColour);
  FrameRect(item.hDC, &item.rcItem, edge);
  DeleteObject(edge);
}

}  // namespace kelvo
