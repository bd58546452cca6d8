#include "tests/support/sim/fake_toolbox_view.h"

#include <utility>

#include "app/toolbox_layout.h"

namespace kelvo::sim {

FakeToolboxView::FakeToolboxView() {
  for (const ControlDef& def : ControlTable()) {
    state_[def.control] = ControlState{.caption = def.caption};
  }
  state_.at(Control::单选框1).checked = true;
  for (const TimerDef& def : TimerTable()) {
    timers_[def.timer] = TimerState{.period_ms = def.period_ms};
  }
}

FakeToolboxView::~FakeToolboxView() {
  if (!clock_) return;
  for (auto& [timer, state] : timers_) {
    if (state.clock_timer) clock_->KillTimer(*state.clock_timer);
  }
}

void FakeToolboxView::SetChecked(Control control, bool checked) {
  state_.at(control).checked = checked;
  changes_.push_back({.what = ViewChange::What::Checked, .control = control, .value = checked});
}

void FakeToolboxView::SetCaption(Control control, const std::string& caption) {
  state_.at(control).caption = caption;
  changes_.push_back({.what = ViewChange::What::Caption, .control = control, .text = caption});
}

void FakeToolboxView::SetEnabled(Control control, bool enabled) {
  state_.at(control).enabled = enabled;
  changes_.push_back({.what = ViewChange::What::Enabled, .control = control, .value = enabled});
}

void FakeToolboxView::SetDefaultButton(Control control, bool is_default) {
  state_.at(control).is_default = is_default;
  changes_.push_back(
      {.what = ViewChange::What::DefaultButton, .control = control, .value = is_default});
}

void FakeToolboxView::SetTextColour(Control control, std::uint32_t colour) {
  state_.at(control).colour = colour;
  changes_.push_back({.what = ViewChange::What::TextColour, .control = control, .value = colour});
}

void FakeToolboxView::SetTimerPeriod(Timer timer, std::uint32_t period_ms) {
  TimerState& state = timers_.at(timer);
  state.period_ms = period_ms;
  if (state.clock_timer) clock_->SetTimerPeriod(*state.clock_timer, period_ms);
  changes_.push_back({.what = ViewChange::What::TimerPeriod, .timer = timer, .value = period_ms});
}

void FakeToolboxView::ChooseRadio(Control radio) {
  ClearRadios();
  state_.at(radio).checked = true;
}

void FakeToolboxView::ClearRadios() {
  for (const ControlDef& def : ControlTable()) {
    if (def.kind == ControlKind::RadioButton) state_.at(def.control).checked = false;
  }
}

void FakeToolboxView::AttachClock(SimClock& clock, std::function<void(Timer)> on_tick) {
  clock_ = &clock;
  for (auto& [timer, state] : timers_) {
    state.clock_timer = clock.AddTimer(state.period_ms, [on_tick, t = timer] { on_tick(t); });
  }
}

}  // namespace kelvo::sim
