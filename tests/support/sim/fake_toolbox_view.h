// The toolbox window as the tests see it: the state of every control and timer, and a record of
// every change the logic makes to them.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/toolbox_view.h"
#include "tests/support/sim/sim_clock.h"

namespace kelvo::sim {

struct ViewChange {
  enum class What { Checked, Caption, Enabled, DefaultButton, TextColour, TimerPeriod };
  What what = What::Checked;
  Control control = Control::外形框1;  // unless a timer changed
  Timer timer = Timer::时钟1;          // for TimerPeriod
  std::string text{};                  // for Caption
  std::uint32_t value = 0;             // checked/enabled/default as 0 or 1, colour, period
};

class FakeToolboxView : public ToolboxView {
 public:
  // As the window stands when its creation handler runs: captions of the window definition,
  // 单选框1 checked, nothing else checked, everything enabled, black text, 时钟1 at 1000 ms and
  // 时钟2 stopped.
  FakeToolboxView();
  ~FakeToolboxView() override;
  FakeToolboxView(const FakeToolboxView&) = delete;
  FakeToolboxView& operator=(const FakeToolboxView&) = delete;

  // ToolboxView. SetChecked changes only the one control, as BM_SETCHECK does.
  bool IsChecked(Control control) override { return state_.at(control).checked; }
  void SetChecked(Control control, bool checked) override;
  std::string Caption(Control control) override { return state_.at(control).caption; }
  void SetCaption(Control control, const std::string& caption) override;
  bool IsEnabled(Control control) override { return state_.at(control).enabled; }
  void SetEnabled(Control control, bool enabled) override;
  bool IsDefaultButton(Control control) override { return state_.at(control).is_default; }
  void SetDefaultButton(Control control, bool is_default) override;
  void SetTextColour(Control control, std::uint32_t colour) override;
  std::uint32_t TextColour(Control control) override { return state_.at(control).colour; }
  void SetTimerPeriod(Timer timer, std::uint32_t period_ms) override;
  std::uint32_t TimerPeriod(Timer timer) override { return timers_.at(timer).period_ms; }
  WindowHandle Handle() override { return handle_; }

  // Test side, not recorded as changes.
  // The user clicks a radio button: it becomes the one checked button of the group.
  void ChooseRadio(Control radio);
  // No radio button checked (the group cannot get there by clicks).
  void ClearRadios();
  void SetHandle(WindowHandle handle) { handle_ = handle; }
  // Runs the two timers on the simulated thread: each tick calls on_tick, and the periods the
  // logic sets take effect there. The view must not outlive the clock.
  void AttachClock(SimClock& clock, std::function<void(Timer)> on_tick);
  const std::vector<ViewChange>& changes() const { return changes_; }

 private:
  struct ControlState {
    bool checked = false;
    std::string caption{};
    bool enabled = true;
    bool is_default = false;
    std::uint32_t colour = kColourBlack;
  };
  struct TimerState {
    std::uint32_t period_ms = 0;
    std::optional<TimerId> clock_timer{};
  };

  std::map<Control, ControlState> state_;
  std::map<Timer, TimerState> timers_;
  SimClock* clock_ = nullptr;
  WindowHandle handle_ = 0;
  std::vector<ViewChange> changes_;
};

}  // namespace kelvo::sim
