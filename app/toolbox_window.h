// The toolbox window: the Win32 implementation of the toolbox's one window.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "app/toolbox.h"
#include "app/toolbox_layout.h"
#include "app/tray_icon.h"
#include "platform/toolbox_view.h"

namespace kelvo {

// kToolboxWindowClassName for the wide window functions (the name is ASCII).
inline constexpr auto kToolboxWindowClassWide = [] {
  std::array<wchar_t, std::size(kToolboxWindowClassName)> wide{};
  for (std::size_t i = 0; i < wide.size(); ++i)
    wide[i] = static_cast<wchar_t>(kToolboxWindowClassName[i]);
  return wide;
}();
inline constexpr const wchar_t* kToolboxWindowClass = kToolboxWindowClassWide.data();

class ToolboxWindow final : public ToolboxView {
 public:
  // The tray icon is the process's one instance; the window puts it up when it is closed.
  ToolboxWindow(System& system, Toolbox& toolbox, TrayIcon& tray);
  ~ToolboxWindow() override;
  ToolboxWindow(const ToolboxWindow&) = delete;
  ToolboxWindow& operator=(const ToolboxWindow&) = delete;

  // Creates the window and its controls and runs the creation steps; the window is not shown.
  bool Create(HINSTANCE instance);
  void Show();
  HWND hwnd() const { return hwnd_; }
  HMENU tray_menu() const { return tray_menu_; }

  // ToolboxView
  bool IsChecked(Control control) override;
  void SetChecked(Control control, bool checked) override;
  std::string Caption(Control control) override;
  void SetCaption(Control control, const std::string& caption) override;
  bool IsEnabled(Control control) override;
  void SetEnabled(Control control, bool enabled) override;
  bool IsDefaultButton(Control control) override;
  void SetDefaultButton(Control control, bool is_default) override;
  void SetTextColour(Control control, std::uint32_t colour) override;
  std::uint32_t TextColour(Control control) override;
  void SetTimerPeriod(Timer timer, std::uint32_t period_ms) override;
  std::uint32_t TimerPeriod(Timer timer) override;
  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(hwnd_); }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void AddTooltips();
  void CreateTrayMenu();
  void OnCommand(int id, int code);
  void OnTrayMenuItem(TrayMenuItem item);
  void CloseToTray();
  void OnTrayEvent(int code);
  void ShowAndActivate();
  void OpenTrayMenu();
  bool OnSetCursor(HWND over, UINT hit_test, UINT mouse_message);
  LRESULT OnControlColour(HDC dc, HWND control);
  void PaintPictureBox(const DRAWITEMSTRUCT& item);
  HWND ControlWindow(Control control) const;
  static std::size_t Index(Control control) { return static_cast<std::size_t>(control); }

  System& system_;
  Toolbox& toolbox_;
  TrayIcon& tray_;
  HWND hwnd_ = nullptr;
  HMENU tray_menu_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH window_brush_ = nullptr;
  HBRUSH panel_brush_ = nullptr;
  std::array<HWND, kControlCount> controls_{};
  std::array<std::uint32_t, kControlCount> text_colours_{};
  std::array<std::uint32_t, 2> timer_periods_{};
};

}  // namespace kelvo
