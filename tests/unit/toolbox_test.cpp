#include "app/toolbox.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/toolbox_layout.h"
#include "build_config.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/support/sim/simulated_system.h"

namespace kelvo {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class ToolboxTest : public ::testing::Test {
 protected:
  ToolboxTest() {
    window = sim.windows.Add(
        {.process = sim::kOwnProcessId, .class_name = "KelvoToolbox", .title = kWindowTitle});
    view.SetHandle(window);
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
  Toolbox toolbox;
  sim::FakeToolboxView view;
  WindowHandle window = 0;
};

TEST_F(ToolboxTest, CreationWritesTheHintWithTheConfiguredWeChatName) {
  OnToolboxCreated(system, toolbox, view);

  EXPECT_EQ(view.Caption(Control::透明标签3), HelpHint());
  EXPECT_EQ(HelpHint(), std::string("使用前务必仔细阅读说明，新版关注") + config::kWeChat +
                            "微信,单击查看详情。");
  // The window opens with the oldest release chosen and the freeze guard off.
  EXPECT_TRUE(view.IsChecked(Control::单选框1));
  EXPECT_FALSE(view.IsChecked(Control::选择框2));
  EXPECT_EQ(view.TimerPeriod(Timer::时钟1), 1000u);
  EXPECT_EQ(view.TimerPeriod(Timer::时钟2), 0u);
}

TEST_F(ToolboxTest, CreationFindsTheDesktopUserMirrorsTheLaunchMarkerAndRaisesItself) {
  constexpr ProcessId kShell = 2400;
  sim.processes.Add(1900, "svchost.exe");
  sim.processes.Add(kShell, "EXPLORER.EXE");
  sim.processes.Add(2600, "explorer.exe");
  const Sid user1 = sim::LocalAccountSid(1001);
  sim.accounts.SetOwner(kShell, user1);
  sim.accounts.AddAccount(user1, "user1");
  sim.files.AddFile(R"(C:\Program Files (x86)\Kelvo\Setup.ini)");

  OnToolboxCreated(system, toolbox, view);

  EXPECT_EQ(toolbox.desktop_shell_id, kShell);
  EXPECT_EQ(toolbox.desktop_user_name, "user1");
  EXPECT_TRUE(view.IsChecked(Control::选择框1));
  EXPECT_EQ(sim.processes.PriorityClass(sim::kOwnProcessId), 0x80u);
  // Ticking the box mirrors the marker; the launch is not set up again.
  EXPECT_TRUE(sim.files.calls().empty());
  EXPECT_TRUE(sim.dialogs.boxes().empty());
}

TEST_F(ToolboxTest, CreationWithoutShellOrMarkerLeavesTheUserUnknownAndTheBoxUnticked) {
  toolbox.desktop_user_name = "earlier";

  OnToolboxCreated(system, toolbox, view);

  EXPECT_EQ(toolbox.desktop_shell_id, 0u);
  EXPECT_EQ(toolbox.desktop_user_name, "");
  EXPECT_FALSE(view.IsChecked(Control::选择框1));
  EXPECT_EQ(sim.processes.PriorityClass(sim::kOwnProcessId), 0x80u);
}

TEST_F(ToolboxTest, EachMaintenanceControlRunsItsOperation) {
  struct Case {
    Control control;
    std::function<void(sim::SimulatedSystem&, sim::FakeToolboxView&)> arrange;
    std::function<bool(sim::SimulatedSystem&)> ran;
  };
  const char* const user_dir = R"(C:\Users\user1\AppData\Local\Autodesk\3dsMax\2014 - 64bit)";
  const Case cases[] = {
      {Control::按钮2, [](sim::SimulatedSystem&, sim::FakeToolboxView&) {},
       [](sim::SimulatedSystem& s) {
         return s.registry.Value(RegistryRoot::ClassesRoot, R"(3dsmax\Shell\Open\Command)", "")
             .has_value();
       }},
      {Control::按钮4,
       [&](sim::SimulatedSystem& s, sim::FakeToolboxView&) { s.files.AddFolder(user_dir); },
       [&](sim::SimulatedSystem& s) { return !s.files.Exists(user_dir); }},
      {Control::按钮5,
       [](sim::SimulatedSystem& s, sim::FakeToolboxView&) { s.dialogs.QueueAnswer(kAnswerNo); },
       [](sim::SimulatedSystem& s) {
         return s.dialogs.boxes().size() == 1 && s.dialogs.boxes()[0].style & kBoxYesNo;
       }},
      {Control::选择框1,
       [](sim::SimulatedSystem& s, sim::FakeToolboxView& v) {
         s.files.AddFolder(R"(C:\Program Files (x86))");
         v.SetChecked(Control::选择框1, true);
       },
       [](sim::SimulatedSystem& s) {
         return s.files.Exists(R"(C:\Program Files (x86)\Kelvo\Setup.ini)");
       }},
  };
  for (const Case& c : cases) {
    sim::SimulatedSystem fresh;
    sim::FakeToolboxView fresh_view;
    Toolbox state;
    state.desktop_user_name = "user1";
    c.arrange(fresh, fresh_view);

    OnControlClicked(fresh.system(), state, fresh_view, c.control);

    EXPECT_TRUE(c.ran(fresh)) << Definition(c.control).name;
  }
}

TEST_F(ToolboxTest, TheHintTurnsRedUnderTheMouseAndBlackOffIt) {
  EXPECT_EQ(view.TextColour(Control::透明标签3), 0u);
  struct Step {
    bool over_hint;
    std::uint32_t colour;
  };
  const Step steps[] = {{true, 255}, {true, 255}, {false, 0}, {false, 0}, {true, 255}};
  for (const Step& step : steps) {
    if (step.over_hint) {
      OnMouseOverHintLabel(view);
    } else {
      OnMouseOverFreeArea(view);
    }
    EXPECT_EQ(view.TextColour(Control::透明标签3), step.colour);
  }
}

TEST_F(ToolboxTest, HelpTextNamesTheConfiguredAddresses) {
  const std::string text = HelpText();
  EXPECT_THAT(text, StartsWith("目前程序支持的功能有：\r\n一键修改MAX文件默认文件打开方式"));
  EXPECT_THAT(text, HasSubstr(std::string("当前程序V0.10bata测试版本，如您有使用BUG可反馈邮箱") +
                              config::kEmail + "或添加微信" + config::kWeChat + "（请备注）"));
  EXPECT_THAT(text, EndsWith("在正式版发布请关注微信动态或公众号（Kelvo资源）"));
}

TEST_F(ToolboxTest, HelpIsOneSelfClosingInformationBoxOverTheWindow) {
  sim.dialogs.QueueAnswer(kAnswerOk);

  ShowHelpText(system);

  ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
  const sim::ShownBox& box = sim.dialogs.boxes()[0];
  EXPECT_EQ(box.kind, sim::BoxKind::Timed);
  EXPECT_EQ(box.text, HelpText());
  EXPECT_EQ(box.title, "友情提醒");
  EXPECT_EQ(box.style, 64u);
  EXPECT_EQ(box.timeout_ms, 720000u);
  EXPECT_EQ(box.owner, window);
}

TEST_F(ToolboxTest, StatusTicksGoOnWhileTheHelpBoxIsUp) {
  std::vector<Timer> ticks;
  view.AttachClock(sim.clock, [&](Timer timer) {
    EXPECT_EQ(sim.dialogs.OpenBoxes(), 1);
    ticks.push_back(timer);
    OnTimerTick(system, toolbox, view, timer);
  });
  const std::int64_t start = sim.clock.Elapsed();

  ShowHelpText(system);  // nobody closes it

  EXPECT_EQ(sim.clock.Elapsed() - start, 720000);
  EXPECT_EQ(ticks, std::vector<Timer>(720, Timer::时钟1));
  EXPECT_EQ(sim.dialogs.boxes()[0].answer, kAnswerTimeout);
}

}  // namespace
}  // namespace kelvo
