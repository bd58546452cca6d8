// Message boxes: each one is recorded, and answered the way the test said the user answers.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "tests/support/sim/sim_clock.h"

namespace kelvo::sim {

enum class BoxKind { Plain, Timed };

struct ShownBox {
  BoxKind kind = BoxKind::Plain;
  WindowHandle owner = 0;
  std::string text{};
  std::string title{};
  std::uint32_t style = 0;
  std::optional<std::uint32_t> timeout_ms{};  // timed boxes only
  std::int64_t shown_at = 0;                  // SimClock::Elapsed() when it opened
  std::optional<int> answer{};                // set when it closed
};

// Runs while the box is up (it may pause, tick, click); its result is the button that closes it.
using BoxReply = std::function<int(const ShownBox&)>;

class SimDialogs : public Dialogs {
 public:
  explicit SimDialogs(SimClock& clock) : clock_(clock) {}

  // Dialogs. Each box takes the next queued reply. With none queued, a timed box is left alone:
  // messages are dispatched through its whole time-out and it answers kAnswerTimeout; a box
  // with only an OK button is answered kAnswerOk at once; a box that asks a question throws, so
  // a test that forgot the user's answer fails loudly.
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& title,
                     std::uint32_t style) override;
  int ShowTimedMessageBox(WindowHandle owner, const std::string& text, const std::string& title,
                          std::uint32_t style, std::uint32_t timeout_ms) override;

  // Test side: the user's next answers, in order.
  void QueueAnswer(int answer);
  void QueueReply(BoxReply reply);
  // The user leaves the next box alone until its time-out closes it (timed boxes only).
  void QueueTimeout();

  // Every box shown so far, in order, including those still open.
  const std::vector<ShownBox>& boxes() const { return boxes_; }
  // The texts of the boxes shown so far, in order.
  std::vector<std::string> texts() const;
  int OpenBoxes() const { return open_; }
  std::size_t QueuedReplies() const { return replies_.size(); }

 private:
  int Show(ShownBox box);

  SimClock& clock_;
  std::deque<BoxReply> replies_;
  std::vector<ShownBox> boxes_;
  int open_ = 0;
};

}  // namespace kelvo::sim
