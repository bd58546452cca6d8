// The toolbox window as the logic sees it: controls by their names in the window definition.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/os_result.h"

namespace kelvo {

// Every named control of the toolbox window, in the order of the window definition.
enum class Control {
  外形框1,
  单选框1,
  单选框2,
  单选框3,
  单选框4,
  单选框5,
  单选框6,
  单选框7,
  单选框8,
  单选框9,
  按钮2,
  按钮4,
  按钮5,
  按钮1,
  按钮3,
  按钮9,
  按钮6,
  按钮7,
  按钮8,
  选择框1,
  选择框2,
  图片框1,
  透明标签1,
  透明标签2,
  透明标签3,
};

inline constexpr std::size_t kControlCount = static_cast<std::size_t>(Control::透明标签3) + 1;

enum class Timer { 时钟1, 时钟2 };

// Windows colour references (0x00BBGGRR).
inline constexpr std::uint32_t kColourBlack = 0x000000;
inline constexpr std::uint32_t kColourRed = 0x0000FF;

class ToolboxView {
 public:
  virtual ~ToolboxView() = default;

  // Radio buttons and check boxes.
  virtual bool IsChecked(Control control) = 0;
  virtual void SetChecked(Control control, bool checked) = 0;
  // Captions and label texts, GBK.
  virtual std::string Caption(Control control) = 0;
  virtual void SetCaption(Control control, const std::string& caption) = 0;
  virtual bool IsEnabled(Control control) = 0;
  virtual void SetEnabled(Control control, bool enabled) = 0;
  // Push buttons: the default push button is drawn with the heavier frame and answers Enter.
  virtual bool IsDefaultButton(Control control) = 0;
  virtual void SetDefaultButton(Control control, bool is_default) = 0;
  virtual void SetTextColour(Control control, std::uint32_t colour) = 0;
  virtual std::uint32_t TextColour(Control control) = 0;
  // 0 stops the timer.
  virtual void SetTimerPeriod(Timer timer, std::uint32_t period_ms) = 0;
  virtual std::uint32_t TimerPeriod(Timer timer) = 0;
  // The toolbox window itself (0 before it exists).
  virtual WindowHandle Handle() = 0;
};

}  // namespace kelvo
