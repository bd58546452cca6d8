// A monkey: clicks the buttons, boxes and radio buttons of the running program in a random order
// while stand-ins for 3ds Max start and end, closes the window to the tray and brings it back,
// starts second copies, and answers every message box at random. The program must never crash,
// never stop answering for longer than its longest documented wait, and stay one copy with one
// window. The seed is printed; KELVO_MONKEY_SEED replays a run.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/shell_recorder.h"

namespace kelvo::e2e {
namespace {

constexpr int kActions = 300;
constexpr int kMostStandIns = 3;
// 卸载插件 gives up after 12 s; 假死救援 waits up to 10 s for its batch and 5 s for taskkill.
constexpr DWORD kLongestWaitMs = 20000;
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kSecondCopyTimeoutMs = 30000;
constexpr DWORD kBoxQuietMs = 300;
constexpr UINT kTrayLeftButtonUp = 514;

const Control kClickable[] = {Control::按钮1, Control::按钮2,   Control::按钮3,  Control::按钮4,
                              Control::按钮5, Control::按钮6,   Control::按钮7,  Control::按钮8,
                              Control::按钮9, Control::选择框1, Control::选择框2};

enum class Action {
  ClickControl,
  ChooseRelease,
  PressHint,
  StartStandIn,
  EndStandIn,
  CloseToTray,
  RestoreFromTray,
  StartSecondCopy,
};
constexpr int kActionKinds = static_cast<int>(Action::StartSecondCopy) + 1;

unsigned Seed() {
  const std::wstring given = Environment(L"KELVO_MONKEY_SEED");
  if (!given.empty()) return static_cast<unsigned>(std::wcstoul(given.c_str(), nullptr, 10));
  return static_cast<unsigned>(GetTickCount() ^ GetCurrentProcessId());
}

BOOL CALLBACK CountToolboxWindows(HWND window, LPARAM count) {
  if (ClassOf(window) == kToolboxWindowClass) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int ToolboxWindows() {
  int count = 0;
  EnumWindows(CountToolboxWindows, reinterpret_cast<LPARAM>(&count));
  return count;
}

class Monkey {
 public:
  Monkey(unsigned seed, Started& program, HWND window)
      : random_(seed), program_(program), window_(window) {}

  ~Monkey() {
    for (Started& standin : standins_)
      standin.Stop();
  }

  // One random step; answers what it did, for the log.
  std::string Step() {
    switch (static_cast<Action>(Pick(kActionKinds))) {
      case Action::ClickControl: {
        const Control control = kClickable[Pick(std::size(kClickable))];
        ClickControl(window_, ControlId(control));
        return "click control " + std::to_string(ControlId(control));
      }
      case Action::ChooseRelease: {
        const int radio = ControlId(Control::单选框1) + Pick(9);
        ClickControl(window_, radio);
        return "choose radio " + std::to_string(radio);
      }
      case Action::PressHint:
        PressOnControl(window_, ControlId(Control::透明标签3));
        return "press the hint";
      case Action::StartStandIn: {
        std::erase_if(standins_, [](const Started& s) { return !s.Running(); });
        if (standins_.size() >= kMostStandIns) return "start stand-in (enough run)";
        if (auto started = StartProgram(Environment(L"KELVO_STANDIN_EXE"))) {
          standins_.push_back(std::move(*started));
        }
        return "start stand-in";
      }
      case Action::EndStandIn:
        if (standins_.empty()) return "end stand-in (none)";
        standins_.erase(standins_.begin() + Pick(standins_.size()));
        return "end stand-in";
      case Action::CloseToTray:
        PostMessageW(window_, WM_CLOSE, 0, 0);
        return "close to the tray";
      case Action::RestoreFromTray:
        PostTrayMessage(window_, kTrayLeftButtonUp);
        return "tray left click";
      case Action::StartSecondCopy:
        return StartSecondCopy();
    }
    return {};
  }

  // Answers the boxes that are up until none has come for a while.
  void AnswerBoxes() {
    while (HWND box = WaitForMessageBox(program_.id(), kBoxQuietMs)) {
      std::vector<int> buttons;
      for (const int id : {IDOK, IDYES, IDNO}) {
        if (GetDlgItem(box, id)) buttons.push_back(id);
      }
      if (buttons.empty()) buttons.push_back(IDOK);
      const int button = buttons[Pick(buttons.size())];
      // A box that closed by itself meanwhile is fine.
      PressMessageBoxButton(box, button, kLongestWaitMs);
      ++boxes_answered_;
    }
  }

  // What the run did, for the log: how often each step was taken and how many boxes came.
  void PrintSummary(const std::map<std::string, int>& steps) const {
    for (const auto& [step, count] : steps)
      std::cout << "  " << count << " x " << step << std::endl;
    std::cout << "  " << boxes_answered_ << " message boxes answered" << std::endl;
  }

 private:
  int Pick(std::size_t count) {
    return std::uniform_int_distribution<int>(0, static_cast<int>(count) - 1)(random_);
  }

  std::string StartSecondCopy() {
    auto second = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
    if (!second) return "second copy (cannot start)";
    const DWORD waited = WaitForSingleObject(second->handle(), kSecondCopyTimeoutMs);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "a second copy kept running";
    DWORD code = 1;
    GetExitCodeProcess(second->handle(), &code);
    EXPECT_EQ(code, 0u) << "a second copy ended with " << code;
    return "second copy";
  }

  std::mt19937 random_;
  Started& program_;
  HWND window_;
  std::vector<Started> standins_;
  int boxes_answered_ = 0;
};

TEST(MonkeyEndToEnd, ThreeHundredRandomActionsLeaveOneWorkingCopy) {
  const unsigned seed = Seed();
  std::cout << "monkey seed " << seed << " (replay with KELVO_MONKEY_SEED=" << seed << ")"
            << std::endl;
  ShellRecorder recorder;  // 假死救援 must not end Wine's desktop
  ASSERT_TRUE(recorder.ok()) << "cannot put the recorder in place";
  Started program;
  const HWND window = StartToolbox(program, kStartTimeoutMs);
  ASSERT_NE(window, nullptr) << "the toolbox window did not come up";
  Monkey monkey(seed, program, window);

  std::map<std::string, int> steps;
  for (int action = 0; action < kActions; ++action) {
    const std::string done = monkey.Step();
    ++steps[done];
    monkey.AnswerBoxes();
    ASSERT_TRUE(program.Running()) << "action " << action << " (" << done << ") ended the program";
    DWORD_PTR ignored = 0;
    ASSERT_NE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kLongestWaitMs, &ignored), 0)
        << "action " << action << " (" << done << "): no answer for " << kLongestWaitMs << " ms";
    ASSERT_EQ(ToolboxWindows(), 1) << "action " << action << " (" << done << ")";
  }
  monkey.AnswerBoxes();
  EXPECT_TRUE(program.Running());
  monkey.PrintSummary(steps);
}

}  // namespace
}  // namespace kelvo::e2e
