#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/toolbox_layout.h"
#include "tests/support/sim/simulated_system.h"

namespace kelvo {
namespace {

constexpr ProcessId kSelf = 4100;
constexpr IconHandle kWindowIcon = 0x00770011;
constexpr std::uint32_t kWmDestroy = 2;
constexpr std::uint32_t kWmPaint = 15;

std::string Text(const auto& buffer) {
  return std::string(buffer.data());
}

// A whole .ico file: the 6-byte header, one 16-byte entry per image, then the images.
struct IconImage {
  std::uint8_t width;
  std::uint8_t height;
  std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> IconFile(const std::vector<IconImage>& images) {
  std::vector<std::uint8_t> file = {0, 0, 1, 0, static_cast<std::uint8_t>(images.size()), 0};
  std::size_t offset = 6 + 16 * images.size();
  auto put32 = [&file](std::size_t value) {
    for (int i = 0; i < 4; ++i)
      file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  for (const IconImage& image : images) {
    file.insert(file.end(), {image.width, image.height, 0, 0, 1, 0, 32, 0});
    put32(image.bytes.size());
    put32(offset);
    offset += image.bytes.size();
  }
  for (const IconImage& image : images)
    file.insert(file.end(), image.bytes.begin(), image.bytes.end());
  return file;
}

// An image that starts like the bitmap of an icon (a 40-byte header).
std::vector<std::uint8_t> BitmapImage(std::uint8_t marker) {
  std::vector<std::uint8_t> bytes(48, marker);
  bytes[0] = 40;
  bytes[1] = bytes[2] = bytes[3] = 0;
  return bytes;
}

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    window = sim.windows.Add({.process = kSelf, .class_name = kToolboxWindowClassName});
    own_procedure = sim.notify_area.AddProcedure(
        [this](WindowHandle, std::uint32_t message, std::uintptr_t, std::intptr_t) {
          own_messages.push_back(message);
          return std::intptr_t{7};
        });
    (void)sim.notify_area.SetWindowProcedure(window, own_procedure);
    sim.notify_area.SetSmallIcon(window, kWindowIcon);
  }

  TrayCallback Recorder() {
    return [this](int code) { callback_codes.push_back(code); };
  }

  sim::SimulatedSystem sim;
  WindowHandle window = 0;
  WindowProcAddress own_procedure = 0;
  std::vector<std::uint32_t> own_messages;
  std::vector<int> callback_codes;
};

TEST_F(TrayIconTest, AddIconPutsTheWindowsIconUpWithTheRecordTheShellExpects) {
  TrayIcon tray(sim.system());
  EXPECT_EQ(tray.taskbar_created_message(), sim.notify_area.RegisterMessage("TaskbarCreated"));
  EXPECT_EQ(sim.notify_area.IconCount(), 0u) << "no icon before the window is closed";

  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));

  const NotifyRecord& record = tray.record();
  EXPECT_EQ(record.hWnd, window);
  EXPECT_EQ(record.uID, 1u);
  EXPECT_EQ(record.uFlags, 0x17u);
  EXPECT_EQ(record.uCallbackMessage, 11685u);
  EXPECT_EQ(record.hIcon, kWindowIcon);
  EXPECT_EQ(Text(record.szTip), "KelvoMAX工具箱");
  EXPECT_EQ(record.uTimeout, 10000u);
  EXPECT_EQ(record.dwState, 0u);
  EXPECT_EQ(record.dwStateMask, 0u);
  EXPECT_EQ(Text(record.szInfo), "");
  EXPECT_EQ(Text(record.szInfoTitle), "");
  EXPECT_EQ(record.dwInfoFlags, 0u);
  ASSERT_NE(sim.notify_area.Icon(window, 1), nullptr);
  EXPECT_EQ(tray.owner_window(), window);
}

TEST_F(TrayIconTest, AddIconFailsForAWindowThatIsGoneAndChangesNothing) {
  TrayIcon tray(sim.system());
  sim.windows.Remove(window);
  EXPECT_FALSE(tray.AddIcon(window, std::nullopt, kTrayTip));
  EXPECT_EQ(tray.owner_window(), 0);
  EXPECT_TRUE(sim.notify_area.notify_calls().empty());
}

TEST_F(TrayIconTest, ASecondAddIconFailsAndLeavesTheFirstIcon) {
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  EXPECT_FALSE(tray.AddIcon(window, std::nullopt, "another tip"));
  EXPECT_EQ(sim.notify_area.IconCount(), 1u);
  EXPECT_EQ(Text(sim.notify_area.Icon(window, 1)->szTip), "KelvoMAX工具箱");
}

TEST_F(TrayIconTest, AnIconFileGivesTheIconOfItsFirstImage) {
  TrayIcon tray(sim.system());
  const std::vector<std::uint8_t> file =
      IconFile({{16, 16, BitmapImage(0xA1)}, {32, 32, BitmapImage(0xB2)}});
  ASSERT_TRUE(tray.AddIcon(window, file, kTrayTip));
  EXPECT_NE(tray.record().hIcon, 0);
  EXPECT_NE(tray.record().hIcon, kWindowIcon);
  ASSERT_EQ(sim.notify_area.icon_images().size(), 1u);
  EXPECT_EQ(sim.notify_area.icon_images()[0], BitmapImage(0xA1));
}

// The shell's buffers hold 127, 255 and 63 bytes of text; a double-byte character that does not
// fit whole is left out rather than cut in half.
struct CutCase {
  const char* name;
  std::function<bool(TrayIcon&, const std::string&)> set;
  std::function<std::string(const NotifyRecord&)> read;
  std::string text;
  std::size_t kept_bytes;
};

class TrayTextCut : public TrayIconTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(TrayTextCut, TextsAreCutToTheirBuffers) {
  const CutCase& c = GetParam();
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  EXPECT_TRUE(c.set(tray, c.text));
  const std::string kept = c.read(tray.record());
  EXPECT_EQ(kept, c.text.substr(0, c.kept_bytes));
  // The shell got the same record.
  EXPECT_EQ(c.read(*sim.notify_area.Icon(window, 1)), kept);
}

bool SetTip(TrayIcon& tray, const std::string& text) {
  return tray.SetTip(text);
}
bool SetBalloonText(TrayIcon& tray, const std::string& text) {
  return tray.ShowBalloon("title", text);
}
bool SetBalloonTitle(TrayIcon& tray, const std::string& text) {
  return tray.ShowBalloon(text, "text");
}
std::string Tip(const NotifyRecord& r) {
  return Text(r.szTip);
}
std::string Info(const NotifyRecord& r) {
  return Text(r.szInfo);
}
std::string InfoTitle(const NotifyRecord& r) {
  return Text(r.szInfoTitle);
}

std::string Chinese(std::size_t characters) {
  std::string text;
  for (std::size_t i = 0; i < characters; ++i)
    text += "箱";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, TrayTextCut,
    ::testing::Values(CutCase{"TipOf200Bytes", SetTip, Tip, std::string(200, 't'), 127},
                      CutCase{"TipThatFits", SetTip, Tip, std::string(127, 't'), 127},
                      CutCase{"ChineseTip", SetTip, Tip, Chinese(100), 126},
                      CutCase{"BalloonText", SetBalloonText, Info, std::string(300, 'i'), 255},
                      CutCase{"ChineseBalloonText", SetBalloonText, Info, Chinese(200), 254},
                      CutCase{"BalloonTitle", SetBalloonTitle, InfoTitle, std::string(80, 'h'), 63},
                      CutCase{"ChineseBalloonTitle", SetBalloonTitle, InfoTitle, Chinese(40), 62}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayIconTest, ShowBalloonSetsKindAndTimeOutAndKeepsTheFlags) {
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));

  EXPECT_TRUE(tray.ShowBalloon("标题", "正文", 2, 0));
  EXPECT_EQ(tray.record().dwInfoFlags, 2u);
  EXPECT_EQ(tray.record().uTimeout, 3000u) << "a time-out of 0 stands for 3000 ms";
  EXPECT_EQ(tray.record().uFlags, 0x17u);
  EXPECT_EQ(Text(tray.record().szInfoTitle), "标题");
  EXPECT_EQ(Text(tray.record().szInfo), "正文");

  EXPECT_TRUE(tray.ShowBalloon("t", "x", 1, 5000));
  EXPECT_EQ(tray.record().uTimeout, 5000u);
  EXPECT_EQ(sim.notify_area.notify_calls().back().action, NotifyAction::kModify);
}

TEST_F(TrayIconTest, ChangeIconWithoutAnImageAsksNothingOfTheShell) {
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  const std::size_t calls = sim.notify_area.notify_calls().size();
  EXPECT_FALSE(tray.ChangeIcon(std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(sim.notify_area.notify_calls().size(), calls);
  EXPECT_EQ(tray.record().hIcon, kWindowIcon);

  EXPECT_TRUE(tray.ChangeIcon(IconFile({{16, 16, BitmapImage(0xC3)}})));
  EXPECT_NE(tray.record().hIcon, kWindowIcon);
  EXPECT_EQ(sim.notify_area.Icon(window, 1)->hIcon, tray.record().hIcon);
}

// What reaches the callback and the window's own procedure for each message.
struct ChainCase {
  const char* name;
  bool with_callback;
  std::uint32_t message;  // 0: the callback message; 1: "TaskbarCreated"
  std::intptr_t lparam;
  std::vector<int> codes;
  bool reaches_window;
};

constexpr std::uint32_t kCallbackMessageMarker = 0;
constexpr std::uint32_t kTaskbarCreatedMarker = 1;

class TrayProcedureChain : public TrayIconTest, public ::testing::WithParamInterface<ChainCase> {};

TEST_P(TrayProcedureChain, MessagesGoToTheCallbackOrOnToTheWindow) {
  const ChainCase& c = GetParam();
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  if (c.with_callback) {
    tray.AttachWindow(Recorder());
  } else {
    tray.AttachWindow();
  }
  std::uint32_t message = c.message;
  if (message == kCallbackMessageMarker) message = kTrayCallbackMessage;
  if (message == kTaskbarCreatedMarker) message = tray.taskbar_created_message();

  const std::intptr_t answer = sim.notify_area.Deliver(window, message, kTrayIconId, c.lparam);

  EXPECT_EQ(callback_codes, c.codes);
  EXPECT_EQ(own_messages,
            c.reaches_window ? std::vector<std::uint32_t>{message} : std::vector<std::uint32_t>{});
  EXPECT_EQ(answer, c.reaches_window ? 7 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, TrayProcedureChain,
    ::testing::Values(
        ChainCase{"LeftButtonUp", true, kCallbackMessageMarker, 514, {514}, false},
        ChainCase{"RightButtonUp", true, kCallbackMessageMarker, 517, {517}, false},
        ChainCase{"TaskbarCreated", true, kTaskbarCreatedMarker, 0, {1120}, false},
        ChainCase{"Destroy", true, kWmDestroy, 0, {1130}, true},
        ChainCase{"Paint", true, kWmPaint, 0, {}, true},
        ChainCase{"NoCallbackLeftButtonUp", false, kCallbackMessageMarker, 514, {}, true},
        ChainCase{"NoCallbackTaskbarCreated", false, kTaskbarCreatedMarker, 0, {}, true},
        ChainCase{"NoCallbackDestroy", false, kWmDestroy, 0, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayIconTest, AttachWindowKeepsWhatItNeedsInTheWindowsProperties) {
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  tray.AttachWindow(Recorder());
  EXPECT_EQ(sim.notify_area.Property(window, "WinProc"), own_procedure);
  EXPECT_EQ(sim.notify_area.Property(window, "CallbackMessage"), 11685);
  EXPECT_EQ(sim.notify_area.Property(window, "TaskbarCreatedMessage"),
            static_cast<std::intptr_t>(tray.taskbar_created_message()));
  EXPECT_NE(sim.notify_area.Property(window, "Exec Event"), 0);
  EXPECT_EQ(tray.saved_window_proc(), own_procedure);
}

TEST_F(TrayIconTest, ASecondAttachKeepsTheWindowsOwnProcedure) {
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  tray.AttachWindow(Recorder());
  tray.AttachWindow(Recorder());

  EXPECT_EQ(tray.saved_window_proc(), own_procedure);
  EXPECT_EQ(sim.notify_area.Property(window, "WinProc"), own_procedure);
  sim.notify_area.Deliver(window, kWmPaint);
  EXPECT_EQ(own_messages, std::vector<std::uint32_t>{kWmPaint});
  sim.notify_area.Deliver(window, kTrayCallbackMessage, kTrayIconId, 515);
  EXPECT_EQ(callback_codes, std::vector<int>{515});

  EXPECT_TRUE(tray.DeleteIcon());
  EXPECT_EQ(sim.notify_area.ProcedureOf(window), own_procedure);
}

TEST_F(TrayIconTest, AttachWindowBeforeAnyIconDoesNothing) {
  TrayIcon tray(sim.system());
  tray.AttachWindow(Recorder());
  EXPECT_EQ(sim.notify_area.ProcedureOf(window), own_procedure);
  EXPECT_EQ(tray.saved_window_proc(), 0);
}

TEST_F(TrayIconTest, DeleteIconRightAfterAddIconTouchesNoProcedure) {
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  ASSERT_TRUE(tray.ShowBalloon("title", "text"));
  EXPECT_TRUE(tray.DeleteIcon());
  EXPECT_EQ(sim.notify_area.IconCount(), 0u);
  EXPECT_EQ(sim.notify_area.ProcedureOf(window), own_procedure);
  EXPECT_EQ(tray.owner_window(), 0);
  EXPECT_EQ(tray.record().hWnd, window) << "the record keeps its window";
  EXPECT_EQ(Text(tray.record().szInfo), "");
  EXPECT_EQ(Text(tray.record().szInfoTitle), "");
}

TEST_F(TrayIconTest, DestroyingTheComponentRemovesTheIconAndRestoresTheWindow) {
  {
    TrayIcon tray(sim.system());
    ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
    tray.AttachWindow(Recorder());
    ASSERT_NE(sim.notify_area.ProcedureOf(window), own_procedure);
  }
  EXPECT_EQ(sim.notify_area.IconCount(), 0u);
  EXPECT_EQ(sim.notify_area.ProcedureOf(window), own_procedure);
}

TEST_F(TrayIconTest, TheIconGoesUpAgainAfterTheShellLostItButNotAfterDeleteIcon) {
  TrayIcon tray(sim.system());
  ASSERT_TRUE(tray.AddIcon(window, std::nullopt, kTrayTip));
  tray.AttachWindow(Recorder());
  sim.notify_area.RestartShell();
  ASSERT_EQ(sim.notify_area.IconCount(), 0u);

  EXPECT_TRUE(tray.AddIconAgain());
  ASSERT_NE(sim.notify_area.Icon(window, 1), nullptr);
  EXPECT_EQ(Text(sim.notify_area.Icon(window, 1)->szTip), "KelvoMAX工具箱");

  ASSERT_TRUE(tray.DeleteIcon());
  EXPECT_FALSE(tray.AddIconAgain());
  EXPECT_EQ(sim.notify_area.IconCount(), 0u);
}

TEST_F(TrayIconTest, WithoutAShellEveryCallFailsQuietly) {
  sim.notify_area.SetShellRunning(false);
  TrayIcon tray(sim.system());
  EXPECT_EQ(tray.tray_toolbar(), 0);
  EXPECT_FALSE(tray.AddIcon(window, std::nullopt, kTrayTip));
  tray.SweepTray(false);
  EXPECT_TRUE(sim.notify_area.sent().empty());
  // The window is hidden with no icon: a shell that starts later gets it.
  sim.notify_area.SetShellRunning(true);
  EXPECT_TRUE(tray.AddIconAgain());
}

// The notification area as the shell builds it: taskbar, notification window, pager, toolbar.
class SweepTest : public TrayIconTest {
 protected:
  void BuildTaskbar(bool with_pager) {
    const WindowHandle taskbar = sim.windows.Add({.process = 900, .class_name = "Shell_TrayWnd"});
    const WindowHandle notify = sim.windows.AddChild(taskbar, "TrayNotifyWnd");
    const WindowHandle pager = with_pager ? sim.windows.AddChild(notify, "SysPager") : notify;
    toolbar = sim.windows.AddChild(pager, "ToolbarWindow32");
    const WindowHandle overflow_window =
        sim.windows.Add({.process = 900, .class_name = "NotifyIconOverflowWindow"});
    overflow = sim.windows.AddChild(overflow_window, "ToolbarWindow32");
  }
  struct Move {
    int x;
    int y;
    bool operator==(const Move&) const = default;
  };
  std::vector<Move> MovesTo(WindowHandle target) {
    std::vector<Move> moves;
    for (const auto& sent : sim.notify_area.sent()) {
      EXPECT_EQ(sent.window, target);
      EXPECT_EQ(sent.message, 0x200u);
      EXPECT_EQ(sent.wparam, 0u);
      moves.push_back(
          {static_cast<int>(sent.lparam & 0xFFFF), static_cast<int>(sent.lparam >> 16)});
    }
    return moves;
  }

  WindowHandle toolbar = 0;
  WindowHandle overflow = 0;
};

TEST_F(SweepTest, TheMouseVisitsEveryOtherPixelRowByRow) {
  BuildTaskbar(true);
  sim.notify_area.SetClientSize(toolbar, 3, 10);
  TrayIcon tray(sim.system());
  EXPECT_EQ(tray.tray_toolbar(), toolbar);

  tray.SweepTray(false);

  EXPECT_EQ(MovesTo(toolbar), (std::vector<Move>{{2, 2}, {2, 4}, {2, 6}, {2, 8}, {2, 10}}));
}

TEST_F(SweepTest, AWideToolbarIsSweptAlongEachRowFirst) {
  BuildTaskbar(true);
  sim.notify_area.SetClientSize(toolbar, 200, 40);
  TrayIcon tray(sim.system());
  tray.SweepTray(false);
  const std::vector<Move> moves = MovesTo(toolbar);
  ASSERT_EQ(moves.size(), 2000u);
  EXPECT_EQ(moves[0], (Move{2, 2}));
  EXPECT_EQ(moves[1], (Move{4, 2}));
  EXPECT_EQ(moves[100], (Move{2, 4}));
  EXPECT_EQ(moves.back(), (Move{200, 40}));
}

TEST_F(SweepTest, TheOverflowFlagSweepsTheOverflowPanel) {
  BuildTaskbar(true);
  sim.notify_area.SetClientSize(overflow, 4, 2);
  TrayIcon tray(sim.system());
  tray.SweepTray(true);
  EXPECT_EQ(MovesTo(overflow), (std::vector<Move>{{2, 2}, {4, 2}}));
}

TEST_F(SweepTest, WithoutThePagerNoOtherProgramsToolbarIsSwept) {
  BuildTaskbar(false);
  // Another program's top-level toolbar, which a search among the top-level windows would find.
  const WindowHandle stranger = sim.windows.Add({.process = 1234, .class_name = "ToolbarWindow32"});
  sim.notify_area.SetClientSize(stranger, 20, 20);
  sim.notify_area.SetClientSize(toolbar, 20, 20);
  TrayIcon tray(sim.system());
  EXPECT_EQ(tray.tray_toolbar(), toolbar) << "the toolbar sits right in the notification window";

  tray.SweepTray(false);

  EXPECT_TRUE(sim.notify_area.sent().empty());
}

// The directory entry of image n sits at byte 6 + 16 n.
TEST_F(TrayIconTest, IconFromIconFileReadsTheDirectoryEntryOfTheImage) {
  const std::vector<std::uint8_t> file = IconFile(
      {{16, 16, BitmapImage(0x11)}, {0, 0, BitmapImage(0x22)}, {48, 32, BitmapImage(0x33)}});
  int width = -1;
  int height = -1;

  EXPECT_NE(IconFromIconFile(sim.notify_area, file, 2, &width, &height), 0);
  EXPECT_EQ(width, 48);
  EXPECT_EQ(height, 32);
  EXPECT_EQ(sim.notify_area.icon_images().back(), BitmapImage(0x33));

  EXPECT_NE(IconFromIconFile(sim.notify_area, file, 1, &width, &height), 0);
  EXPECT_EQ(width, 0) << "0 stands for 256 and is handed on as stored";
  EXPECT_EQ(height, 0);
  EXPECT_EQ(sim.notify_area.icon_images().back(), BitmapImage(0x22));
}

TEST_F(TrayIconTest, IconFromIconFileRefusesWhatIsNotInTheFile) {
  const std::vector<std::uint8_t> file = IconFile({{16, 16, BitmapImage(0x11)}});
  std::vector<std::uint8_t> cut = file;
  cut.resize(file.size() - 1);  // the image ends beyond the file
  std::vector<std::uint8_t> not_an_image = IconFile({{16, 16, {1, 2, 3, 4}}});

  EXPECT_EQ(IconFromIconFile(sim.notify_area, file, 1), 0) << "no second entry";
  EXPECT_EQ(IconFromIconFile(sim.notify_area, cut, 0), 0);
  EXPECT_EQ(IconFromIconFile(sim.notify_area, std::vector<std::uint8_t>{0, 0, 1}, 0), 0);
  EXPECT_TRUE(sim.notify_area.icon_images().empty()) << "nothing outside the file was read";
  EXPECT_EQ(IconFromIconFile(sim.notify_area, not_an_image, 0), 0);
}

TEST(CutToWholeCharacters, NeverKeepsHalfACharacter) {
  EXPECT_EQ(CutToWholeCharacters("abc", 2), "ab");
  EXPECT_EQ(CutToWholeCharacters("a工具", 4), "a工");
  EXPECT_EQ(CutToWholeCharacters("a工具", 5), "a工具");
  EXPECT_EQ(CutToWholeCharacters("工具", 1), "");
  EXPECT_EQ(CutToWholeCharacters("", 10), "");
}

}  // namespace
}  // namespace kelvo
