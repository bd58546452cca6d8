// The notification-area icon of the toolbox window. It keeps the shell's record for one icon and
// turns the shell's mouse messages for it into calls of the owner's routine, by putting its own
// window procedure in front of the owner window's and keeping what that procedure needs in
// window properties.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "platform/notify_area.h"
#include "platform/system.h"

namespace kelvo {

// The message the shell sends the owner window for the icon (lParam = the mouse message).
inline constexpr std::uint32_t kTrayCallbackMessage = 11685;
inline constexpr std::uint32_t kTrayIconId = 1;
// NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO
inline constexpr std::uint32_t kTrayIconFlags = 0x17;
inline constexpr std::uint32_t kTrayBalloonTimeoutMs = 10000;
inline constexpr std::uint32_t kTrayDefaultBalloonMs = 3000;
// Codes of the component itself, passed to the callback beside the mouse messages.
inline constexpr int kTrayTaskbarCreated = 1120;
inline constexpr int kTrayWindowDestroyed = 1130;

// Properties kept on the owner window.
inline constexpr char kPropertyWinProc[] = "WinProc";
inline constexpr char kPropertyCallbackMessage[] = "CallbackMessage";
inline constexpr char kPropertyTaskbarCreated[] = "TaskbarCreatedMessage";
inline constexpr char kPropertyExecEvent[] = "Exec Event";

// Mouse messages the shell reports over the icon, and the message Windows sends the mouse.
inline constexpr int kMouseMove = 0x200;
inline constexpr int kLeftButtonUp = 514;
inline constexpr int kLeftButtonDoubleClick = 515;
inline constexpr int kRightButtonUp = 517;

using TrayCallback = std::function<void(int code)>;

class TrayIcon {
 public:
  // Looks the notification area's toolbar up and registers "TaskbarCreated"; no icon yet.
  explicit TrayIcon(System& system);
  // Removes an icon that is still up and gives an attached window its own procedure back.
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The toolbars of the notification area and of its overflow panel; 0 when a link of the
  // chain of windows is missing.
  WindowHandle FindTrayToolbar();
  WindowHandle FindOverflowToolbar();

  // Puts the icon up for the owner: the first image of the icon file, or else the owner's small
  // icon. False for an owner that is not a live window, or when the shell refuses (an icon of
  // this owner is already up).
  bool AddIcon(WindowHandle owner, std::optional<std::span<const std::uint8_t>> icon_file,
               const std::string& tip);
  // Puts the icon of the last AddIcon up again, for a shell that has lost its icons; false when
  // no icon was added since the last DeleteIcon.
  bool AddIconAgain();
  // Gives an attached window its own procedure back and removes the icon.
  bool DeleteIcon();
  bool SetTip(const std::string& tip);
  // Kind: 0 none, 1 information, 2 warning, 3 error. A time-out of 0 is 3000 ms.
  bool ShowBalloon(const std::string& title, const std::string& text, std::uint32_t kind = 0,
                   std::uint32_t timeout_ms = 0);
  bool ChangeIcon(std::span<const std::uint8_t> icon_file);

  // Puts the component's procedure in front of the owner window's (once; a second call keeps the
  // window's own procedure saved) and hands the shell's messages to the callback.
  void AttachWindow(TrayCallback callback = {});
  // Moves the mouse over every other pixel of the toolbar, so that the notification area drops
  // the icons of programs that have ended.
  void SweepTray(bool use_overflow);

  std::uint32_t taskbar_created_message() const { return taskbar_created_message_; }
  const NotifyRecord& record() const { return record_; }
  WindowProcAddress saved_window_proc() const { return saved_window_proc_; }
  WindowHandle owner_window() const { return owner_window_; }
  WindowHandle tray_toolbar() const { return tray_toolbar_; }

 private:
  bool Modify();
  WindowHandle FindChain(std::span<const char* const> classes);

  System& system_;
  NotifyArea& area_;
  std::uint32_t taskbar_created_message_ = 0;
  NotifyRecord record_;
  WindowProcAddress saved_window_proc_ = 0;
  WindowHandle owner_window_ = 0;
  WindowHandle tray_toolbar_ = 0;
  // The routine the "Exec Event" property points at.
  TrayCallback callback_;
};

// The icon of image `index` of a whole .ico file; width and height as the directory stores them
// (0 stands for 256). 0 when the file has no such image or Windows cannot build it.
IconHandle IconFromIconFile(NotifyArea& area, std::span<const std::uint8_t> icon_file,
                            std::size_t index = 0, int* width = nullptr, int* height = nullptr);

// The procedure the component puts in front of the owner window's.
std::intptr_t TrayWindowProcedure(NotifyArea& area, WindowHandle window, std::uint32_t message,
                                  std::uintptr_t wparam, std::intptr_t lparam);

// The leading whole characters of a GBK text that fit into `max_bytes` bytes.
std::string CutToWholeCharacters(const std::string& text, std::size_t max_bytes);

}  // namespace kelvo
