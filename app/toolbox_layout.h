// The toolbox window's definition: its title, controls, hint, tooltips, help text and tray menu.
// Plain data, shared by the Win32 window and the tests.
#pragma once

#include <span>
#include <string>

#include "net/version_check.h"
#include "platform/toolbox_view.h"

namespace kelvo {

inline constexpr char kWindowTitle[] = "KelvoMAX工具箱_V0.10";
inline constexpr char kTrayTip[] = "KelvoMAX工具箱";
// Window class of the toolbox window; a second copy of the program finds the first one by it.
inline constexpr char kToolboxWindowClassName[] = "KelvoMAXToolboxWindow";
inline constexpr int kWindowX = 50;
inline constexpr int kWindowY = 50;
inline constexpr int kWindowWidth = 500;
inline constexpr int kWindowHeight = 320;

enum class ControlKind {
  ShapeBox,
  RadioButton,
  PushButton,
  CheckBox,
  PictureBox,
  TransparentLabel
};

struct ControlDef {
  Control control;
  ControlKind kind;
  const char* name;         // the name in the window definition, GBK
  const char* caption;      // GBK; the hint label's caption is replaced at creation
  int x, y, width, height;  // client coordinates
};

struct TimerDef {
  Timer timer;
  const char* name;
  unsigned period_ms;  // at creation; 0 = stopped
};

struct TooltipDef {
  Control control;
  const char* text;
};

enum class TrayMenuItem { 打开界面 = 1, 帮助提示, 关闭软件 };

struct MenuItemDef {
  TrayMenuItem item;
  const char* caption;
};

inline constexpr char kTrayMenuCaption[] = "菜单";

// In the order of the window definition (which is also the tab order).
std::span<const ControlDef> ControlTable();
// Child-window id of a control: a driver finds the control by it.
int ControlId(Control control);
inline constexpr int kFirstControlId = 1001;
const ControlDef& Definition(Control control);
std::span<const TimerDef> TimerTable();
// In the order they are added at creation.
std::span<const TooltipDef> TooltipTable();
std::span<const MenuItemDef> TrayMenuTable();

// True for the nine push buttons and the hint label: they show the hand pointer.
bool ShowsHandCursor(Control control);

// The hint line at the bottom, with the configured WeChat account name.
std::string HelpHint();
// The help text, with the configured e-mail address and WeChat account name.
std::string HelpText();

}  // namespace kelvo
