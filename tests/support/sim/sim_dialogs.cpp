#include "tests/support/sim/sim_dialogs.h"

#include <stdexcept>
#include <utility>

namespace kelvo::sim {
namespace {

constexpr std::uint32_t kButtonsMask = 0xF;

int LeaveAlone(SimClock& clock, const ShownBox& box) {
  if (!box.timeout_ms) {
    throw std::logic_error("a plain message box never closes by itself: " + box.title);
  }
  clock.PauseDispatching(*box.timeout_ms);
  return kAnswerTimeout;
}

}  // namespace

int SimDialogs::ShowMessageBox(WindowHandle owner, const std::string& text,
                               const std::string& title, std::uint32_t style) {
  return Show(
      {.kind = BoxKind::Plain, .owner = owner, .text = text, .title = title, .style = style});
}

int SimDialogs::ShowTimedMessageBox(WindowHandle owner, const std::string& text,
                                    const std::string& title, std::uint32_t style,
                                    std::uint32_t timeout_ms) {
  return Show({.kind = BoxKind::Timed,
               .owner = owner,
               .text = text,
               .title = title,
               .style = style,
               .timeout_ms = timeout_ms});
}

int SimDialogs::Show(ShownBox box) {
  box.shown_at = clock_.Elapsed();
  const std::size_t index = boxes_.size();
  boxes_.push_back(box);
  BoxReply reply;
  if (!replies_.empty()) {
    reply = std::move(replies_.front());
    replies_.pop_front();
  } else if (box.kind == BoxKind::Timed) {
    reply = [this](const ShownBox& shown) { return LeaveAlone(clock_, shown); };
  } else if ((box.style & kButtonsMask) == kBoxOk) {
    reply = [](const ShownBox&) { return kAnswerOk; };
  } else {
    throw std::logic_error("no answer queued for the question \"" + box.title + "\"");
  }
  ++open_;
  int answer = 0;
  try {
    answer = reply(box);
  } catch (...) {
    --open_;
    throw;
  }
  --open_;
  boxes_[index].answer = answer;
  return answer;
}

void SimDialogs::QueueAnswer(int answer) {
  replies_.push_back([answer](const ShownBox&) { return answer; });
}

void SimDialogs::QueueReply(BoxReply reply) {
  replies_.push_back(std::move(reply));
}

void SimDialogs::QueueTimeout() {
  replies_.push_back([this](const ShownBox& box) { return LeaveAlone(clock_, box); });
}

std::vector<std::string> SimDialogs::texts() const {
  std::vector<std::string> texts;
  for (const ShownBox& box : boxes_)
    texts.push_back(box.text);
  return texts;
}

}  // namespace kelvo::sim
