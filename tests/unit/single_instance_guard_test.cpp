#include "app/single_instance_guard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/toolbox_layout.h"
#include "build_config.h"
#include "tests/support/sim/simulated_system.h"

namespace kelvo {
namespace {

constexpr ProcessId kSelf = 4100;
constexpr ProcessId kFirstCopy = 3900;
constexpr ProcessId kOther = 5000;
// MD5 of the GBK bytes of the fallback text, worked out independently of the program.
constexpr char kFallbackIdentity[] = "917b41c1b5ace220c8b4dcacd5857727";

class GuardTest : public ::testing::Test {
 protected:
  GuardTest() {
    sim.processes.Add(kFirstCopy, "toolbox.exe");
    sim.processes.Add(kOther, "notepad.exe");
    sim.processes.Add(kSelf, "toolbox.exe");
    sim.processes.SetCurrentProcessId(kSelf);
  }
  // The first copy is running: it holds the event and shows its window.
  WindowHandle FirstCopyRuns(const sim::WindowDef& window = {}) {
    sim.kernel.HoldElsewhere(config::kInstanceId);
    sim::WindowDef def = window;
    def.process = kFirstCopy;
    def.class_name = kToolboxWindowClassName;
    first_window = sim.windows.AddBehind(def);
    return first_window;
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  WindowHandle first_window = 0;
};

TEST_F(GuardTest, TheFirstStartHoldsTheEventAndGoesOn) {
  EXPECT_TRUE(SingleInstanceGuard(system, config::kInstanceId));
  EXPECT_EQ(sim.kernel.create_calls(), std::vector<std::string>{config::kInstanceId});
  EXPECT_TRUE(sim.kernel.held().contains(config::kInstanceId));
  EXPECT_TRUE(sim.dialogs.boxes().empty());
  EXPECT_EQ(sim.windows.active_window(), 0);
  EXPECT_EQ(std::string(config::kInstanceId).size(), 35u);
}

TEST_F(GuardTest, AnEventThatCannotBeMadeDoesNotStopTheStart) {
  sim.kernel.TakeNameByOtherKind(config::kInstanceId);
  EXPECT_TRUE(SingleInstanceGuard(system, config::kInstanceId));
}

// The first copy's window as the second start finds it.
struct SecondStartCase {
  const char* name;
  sim::WindowDef first_window;
};

class SecondStart : public GuardTest, public ::testing::WithParamInterface<SecondStartCase> {};

TEST_P(SecondStart, BringsTheFirstCopysWindowForwardAndEndsSilently) {
  const WindowHandle window = FirstCopyRuns(GetParam().first_window);
  // Windows above it: another program's, and one of this process's own of the same class.
  sim.windows.Add({.process = kOther, .class_name = "Notepad"});
  sim.windows.Add({.process = kSelf, .class_name = kToolboxWindowClassName, .visible = false});

  EXPECT_FALSE(SingleInstanceGuard(system, config::kInstanceId));

  EXPECT_TRUE(sim.windows.IsVisible(window));
  EXPECT_FALSE(sim.windows.IsMinimised(window));
  EXPECT_EQ(sim.windows.active_window(), window);
  EXPECT_EQ(sim.windows.ZOrder().front(), window);
  EXPECT_TRUE(sim.dialogs.boxes().empty());
  EXPECT_FALSE(sim.kernel.held().contains(config::kInstanceId));
}

INSTANTIATE_TEST_SUITE_P(FirstWindow, SecondStart,
                         ::testing::Values(SecondStartCase{"Visible", {}},
                                           SecondStartCase{"Minimised", {.minimised = true}},
                                           SecondStartCase{"HiddenInTheTray", {.visible = false}},
                                           SecondStartCase{"HiddenWhileMinimised",
                                                           {.visible = false, .minimised = true}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuardTest, ACopyWithoutAWindowYetEndsTheSecondStartAllTheSame) {
  sim.kernel.HoldElsewhere(config::kInstanceId);
  sim.windows.Add({.process = kSelf, .class_name = kToolboxWindowClassName});
  EXPECT_FALSE(SingleInstanceGuard(system, config::kInstanceId));
  EXPECT_EQ(sim.windows.active_window(), 0) << "its own window is never brought forward";
}

TEST_F(GuardTest, WithoutActivationTheFirstWindowStaysAsItIs) {
  const WindowHandle window = FirstCopyRuns({.visible = false});
  EXPECT_FALSE(SingleInstanceGuard(system, config::kInstanceId, {.activate_running = false}));
  EXPECT_FALSE(sim.windows.IsVisible(window));
  EXPECT_EQ(sim.windows.active_window(), 0);
}

struct MessageCase {
  const char* name;
  GuardOptions options;
  std::string text;
  std::uint32_t style;
};

class GuardMessage : public GuardTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(GuardMessage, TheMessageComesAfterTheRoutineAndBeforeTheActivation) {
  const MessageCase& c = GetParam();
  const WindowHandle window = FirstCopyRuns({.minimised = true});
  std::vector<std::string> events;
  GuardOptions options = c.options;
  options.on_found = [&] { events.push_back("found"); };
  sim.dialogs.QueueReply([&](const sim::ShownBox&) {
    events.push_back(sim.windows.IsMinimised(window) ? "box, window still minimised"
                                                     : "box after the window came back");
    return kAnswerOk;
  });

  EXPECT_FALSE(SingleInstanceGuard(system, config::kInstanceId, options));

  EXPECT_EQ(events, (std::vector<std::string>{"found", "box, window still minimised"}));
  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  EXPECT_EQ(sim.dialogs.boxes()[0].text, c.text);
  EXPECT_EQ(sim.dialogs.boxes()[0].title, "友情提醒:");
  EXPECT_EQ(sim.dialogs.boxes()[0].style, c.style);
  EXPECT_EQ(sim.windows.active_window(), window);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GuardMessage,
    ::testing::Values(MessageCase{"Default", {.show_message = true}, "对不起,该进程已打开!", 0},
                      MessageCase{"Given",
                                  {.show_message = true,
                                   .message_text = "已经在运行",
                                   .message_style = kBoxIconExclamation},
                                  "已经在运行",
                                  kBoxIconExclamation}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuardTest, TheRoutineRunsOnlyWhenAnotherCopyRuns) {
  int runs = 0;
  EXPECT_TRUE(SingleInstanceGuard(system, config::kInstanceId, {.on_found = [&] { ++runs; }}));
  EXPECT_EQ(runs, 0);
}

TEST_F(GuardTest, AnEmptyIdentityUsesTheDigestOfTheFallbackText) {
  EXPECT_TRUE(SingleInstanceGuard(system, ""));
  EXPECT_EQ(sim.kernel.create_calls(), std::vector<std::string>{kFallbackIdentity});

  // Two programs that both pass an empty identity exclude each other.
  sim::SimulatedSystem second;
  second.kernel.HoldElsewhere(kFallbackIdentity);
  EXPECT_FALSE(SingleInstanceGuard(second.system(), ""));
}

struct Md5Case {
  const char* name;
  std::string bytes;
  bool upper_case;
  bool short_form;
  std::string hex;
};

class Md5HexTest : public GuardTest, public ::testing::WithParamInterface<Md5Case> {};

TEST_P(Md5HexTest, WritesTheDigestAsAsked) {
  const Md5Case& c = GetParam();
  EXPECT_EQ(Md5Hex(system, c.bytes, c.upper_case, c.short_form), c.hex);
}

INSTANTIATE_TEST_SUITE_P(
    Digests, Md5HexTest,
    ::testing::Values(Md5Case{"FallbackText", kFallbackIdentityText, false, false,
                              kFallbackIdentity},
                      Md5Case{"Empty", "", false, false, "d41d8cd98f00b204e9800998ecf8427e"},
                      Md5Case{"UpperCase", "abc", true, false, "900150983CD24FB0D6963F7D28E17F72"},
                      Md5Case{"Short", "abc", false, true, "3cd24fb0d6963f7d"},
                      Md5Case{"LongerThanABlock", std::string(1000, 'a'), false, false,
                              "cabe45dcc9ae5b66ba86600cca6b8ba8"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GuardTest, WithoutCryptographyTheDigestIsEmpty) {
  sim.kernel.SetCryptoAvailable(false);
  EXPECT_EQ(Md5Hex(system, "abc"), "");
}

}  // namespace
}  // namespace kelvo
