// The tray icon over the Windows adapter: the shell's record, the procedure put in front of a real
// window, icons built from icon files, and the named event and digest of the single-instance
// guard.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/single_instance_guard.h"
#include "app/tray_icon.h"
#include "platform/win32/win32_system.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

std::vector<UINT> g_own_messages;

LRESULT CALLBACK OwnProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  g_own_messages.push_back(message);
  return DefWindowProcW(window, message, wparam, lparam);
}

// A 16 x 16 icon file with one 32-bit image: header, colour rows, mask rows.
std::vector<std::uint8_t> SmallIconFile() {
  constexpr int kSide = 16;
  std::vector<std::uint8_t> image(40 + kSide * kSide * 4 + kSide * 4, 0);
  auto put32 = [&image](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
      image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  put32(0, 40);
  put32(4, kSide);
  put32(8, 2 * kSide);  // colour and mask together
  image[12] = 1;        // planes
  image[14] = 32;       // bits per pixel
  for (std::size_t i = 40; i < 40 + kSide * kSide * 4; i += 4) {
    image[i + 2] = 0xC0;  // red, opaque
    image[i + 3] = 0xFF;
  }
  std::vector<std::uint8_t> file = {0, 0, 1, 0, 1, 0, kSide, kSide, 0, 0, 1, 0, 32, 0};
  for (std::uint32_t value : {static_cast<std::uint32_t>(image.size()), 22u}) {
    for (int i = 0; i < 4; ++i)
      file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

class TrayIconWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = test::MakeWindow(L"tray owner", WS_OVERLAPPEDWINDOW);
    ASSERT_TRUE(window_);
    SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OwnProcedure));
    g_own_messages.clear();
  }
  WindowHandle Handle() const { return reinterpret_cast<WindowHandle>(window_.get()); }

  Win32System platform_;
  UniqueWindow window_;
};

TEST_F(TrayIconWinTest, TheShellKeepsOneIconPerWindowUntilItIsDeleted) {
  TrayIcon tray(platform_.system());
  ASSERT_TRUE(tray.AddIcon(Handle(), SmallIconFile(), "KelvoMAX工具箱"));
  EXPECT_FALSE(tray.AddIcon(Handle(), SmallIconFile(), "KelvoMAX工具箱"));
  EXPECT_TRUE(tray.SetTip("托盘提示"));
  EXPECT_TRUE(tray.ShowBalloon("标题", "正文", 1, 1000));
  EXPECT_TRUE(tray.DeleteIcon());
  EXPECT_FALSE(tray.DeleteIcon());
  EXPECT_FALSE(tray.SetTip("gone"));
}

TEST_F(TrayIconWinTest, MessagesReachTheCallbackAndTheWindowGetsItsProcedureBack) {
  std::vector<int> codes;
  TrayIcon tray(platform_.system());
  ASSERT_TRUE(tray.AddIcon(Handle(), std::nullopt, "KelvoMAX工具箱"));
  tray.AttachWindow([&codes](int code) { codes.push_back(code); });
  tray.AttachWindow([&codes](int code) { codes.push_back(code); });
  g_own_messages.clear();  // the icon was asked for

  SendMessageW(window_.get(), kTrayCallbackMessage, kTrayIconId, WM_RBUTTONUP);
  SendMessageW(window_.get(), tray.taskbar_created_message(), 0, 0);
  SendMessageW(window_.get(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"still the window's"));
  EXPECT_EQ(codes, (std::vector<int>{WM_RBUTTONUP, kTrayTaskbarCreated}));
  EXPECT_EQ(g_own_messages, std::vector<UINT>{WM_SETTEXT});

  EXPECT_TRUE(tray.DeleteIcon());
  EXPECT_EQ(GetWindowLongPtrW(window_.get(), GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&OwnProcedure));
  SendMessageW(window_.get(), kTrayCallbackMessage, kTrayIconId, WM_LBUTTONUP);
  EXPECT_EQ(codes.size(), 2u);
}

TEST_F(TrayIconWinTest, DestroyingTheWindowIsReported) {
  std::vector<int> codes;
  TrayIcon tray(platform_.system());
  ASSERT_TRUE(tray.AddIcon(Handle(), std::nullopt, "KelvoMAX工具箱"));
  tray.AttachWindow([&codes](int code) { codes.push_back(code); });
  window_.reset();
  EXPECT_EQ(codes, std::vector<int>{kTrayWindowDestroyed});
  EXPECT_NE(std::find(g_own_messages.begin(), g_own_messages.end(), WM_DESTROY),
            g_own_messages.end());
}

TEST_F(TrayIconWinTest, AnIconFileGivesAnIconOfItsSize) {
  const std::vector<std::uint8_t> file = SmallIconFile();
  int width = 0;
  int height = 0;
  const IconHandle icon =
      IconFromIconFile(platform_.system().notify_area, file, 0, &width, &height);
  ASSERT_NE(icon, 0);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 16);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(icon), &info));
  EXPECT_TRUE(info.fIcon);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST_F(TrayIconWinTest, TheWindowsSmallIconIsTheOneItWasGiven) {
  const HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  EXPECT_EQ(platform_.system().notify_area.SmallIcon(Handle()), reinterpret_cast<IconHandle>(icon));
}

TEST(KernelObjectsWinTest, TheSecondCreationOfANamedEventFindsTheFirst) {
  Win32System platform;
  const std::string name = test::UniqueName("KELVOTRAYTEST");
  EXPECT_EQ(platform.system().kernel.CreateNamedEvent(name), NamedEventResult::kCreated);
  EXPECT_EQ(platform.system().kernel.CreateNamedEvent(name), NamedEventResult::kAlreadyExists);
}

TEST(KernelObjectsWinTest, CryptoApiDigestsMatchTheKnownValues) {
  Win32System platform;
  EXPECT_EQ(Md5Hex(platform.system(), ""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5Hex(platform.system(), "abc", true), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Md5Hex(platform.system(), kFallbackIdentityText), "917b41c1b5ace220c8b4dcacd5857727");
}

}  // namespace
}  // namespace kelvo
