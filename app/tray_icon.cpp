#include "app/tray_icon.h"

#include <algorithm>
#include <array>

#include "procctl/window_toolkit.h"

namespace kelvo {
namespace {

constexpr std::uint32_t kWmDestroy = 2;
constexpr std::size_t kIconDirectoryStart = 6;
constexpr std::size_t kIconEntrySize = 16;
constexpr char kTaskbarCreatedName[] = "TaskbarCreated";

constexpr const char* kTrayToolbarChain[] = {"Shell_TrayWnd", "TrayNotifyWnd", "SysPager",
                                             "ToolbarWindow32"};
constexpr const char* kOverflowToolbarChain[] = {"NotifyIconOverflowWindow", "ToolbarWindow32"};

template <std::size_t N>
void CopyText(std::array<char, N>& buffer, const std::string& text) {
  const std::string cut = CutToWholeCharacters(text, N - 1);
  buffer.fill('\0');
  std::copy(cut.begin(), cut.end(), buffer.begin());
}

std::uint32_t ReadLittleEndian(std::span<const std::uint8_t> bytes, std::size_t at,
                               std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;)
    value = (value << 8) | bytes[at + i];
  return value;
}

}  // namespace

std::string CutToWholeCharacters(const std::string& text, std::size_t max_bytes) {
  std::size_t end = 0;
  while (end < text.size()) {
    const auto byte = static_cast<unsigned char>(text[end]);
    // A GBK lead byte takes the next byte with it; half a character is never kept.
    const std::size_t length = byte >= 0x81 && byte <= 0xFE && end + 1 < text.size() ? 2 : 1;
    if (end + length > max_bytes) break;
    end += length;
  }
  return text.substr(0, end);
}

TrayIcon::TrayIcon(System& system) : system_(system), area_(system.notify_area) {
  // The toolbar sits in the pager where there is one, else right in the notification window.
  const WindowHandle tray = FindChildWindow(system_, 0, 0, kTrayToolbarChain[0], "");
  const WindowHandle notify =
      tray ? FindChildWindow(system_, tray, 0, kTrayToolbarChain[1], "") : 0;
  if (notify) {
    const WindowHandle pager = FindChildWindow(system_, notify, 0, kTrayToolbarChain[2], "");
    tray_toolbar_ = FindChildWindow(system_, pager ? pager : notify, 0, kTrayToolbarChain[3], "");
  }
  taskbar_created_message_ = area_.RegisterMessage(kTaskbarCreatedName);
}

TrayIcon::~TrayIcon() {
  tray_toolbar_ = 0;
  DeleteIcon();
}

// A missing link ends the search: searching on among the top-level windows would find some other
// program's toolbar.
WindowHandle TrayIcon::FindChain(std::span<const char* const> classes) {
  WindowHandle window = 0;
  for (const char* window_class : classes) {
    window = FindChildWindow(system_, window, 0, window_class, "");
    if (!window) return 0;
  }
  return window;
}

WindowHandle TrayIcon::FindTrayToolbar() {
  return FindChain(kTrayToolbarChain);
}

WindowHandle TrayIcon::FindOverflowToolbar() {
  return FindChain(kOverflowToolbarChain);
}

bool TrayIcon::AddIcon(WindowHandle owner, std::optional<std::span<const std::uint8_t>> icon_file,
                       const std::string& tip) {
  if (!area_.IsLiveWindow(owner)) return false;
  owner_window_ = owner;
  record_.hIcon = icon_file ? IconFromIconFile(area_, *icon_file) : area_.SmallIcon(owner);
  record_.hWnd = owner;
  record_.uID = kTrayIconId;
  record_.uFlags = kTrayIconFlags;
  record_.uCallbackMessage = kTrayCallbackMessage;
  record_.uTimeout = kTrayBalloonTimeoutMs;
  CopyText(record_.szTip, tip);
  return area_.Notify(NotifyAction::kAdd, record_);
}

bool TrayIcon::AddIconAgain() {
  if (!owner_window_) return false;
  return area_.Notify(NotifyAction::kAdd, record_);
}

bool TrayIcon::DeleteIcon() {
  if (saved_window_proc_) area_.SetWindowProcedure(owner_window_, saved_window_proc_);
  owner_window_ = 0;
  saved_window_proc_ = 0;
  record_.szInfo.fill('\0');
  record_.szInfoTitle.fill('\0');
  return area_.Notify(NotifyAction::kDelete, record_);
}

bool TrayIcon::Modify() {
  return area_.Notify(NotifyAction::kModify, record_);
}

bool TrayIcon::SetTip(const std::string& tip) {
  CopyText(record_.szTip, tip);
  return Modify();
}

bool TrayIcon::ShowBalloon(const std::string& title, const std::string& text, std::uint32_t kind,
                           std::uint32_t timeout_ms) {
  record_.dwInfoFlags = kind;
  CopyText(record_.szInfoTitle, title);
  CopyText(record_.szInfo, text);
  record_.uTimeout = timeout_ms ? timeout_ms : kTrayDefaultBalloonMs;
  return Modify();
}

bool TrayIcon::ChangeIcon(std::span<const std::uint8_t> icon_file) {
  const IconHandle icon = IconFromIconFile(area_, icon_file);
  if (!icon) return false;
  record_.hIcon = icon;
  record_.uFlags = kTrayIconFlags;
  return Modify();
}

void TrayIcon::AttachWindow(TrayCallback callback) {
  if (!area_.IsLiveWindow(owner_window_)) return;
  // Replacing it a second time would save the component's own procedure as the window's, and
  // every message would go round in a circle.
  if (!saved_window_proc_) {
    saved_window_proc_ =
        area_.SetWindowProcedure(owner_window_, area_.ProcedureAddress(&TrayWindowProcedure));
  }
  area_.SetProperty(owner_window_, kPropertyWinProc, saved_window_proc_);
  area_.SetProperty(owner_window_, kPropertyCallbackMessage, kTrayCallbackMessage);
  area_.SetProperty(owner_window_, kPropertyTaskbarCreated, taskbar_created_message_);
  if (callback) {
    callback_ = std::move(callback);
    area_.SetProperty(owner_window_, kPropertyExecEvent,
                      reinterpret_cast<std::intptr_t>(&callback_));
  }
}

void TrayIcon::SweepTray(bool use_overflow) {
  const WindowHandle toolbar = use_overflow ? FindOverflowToolbar() : FindTrayToolbar();
  int width = 0;
  int height = 0;
  if (!toolbar || !area_.ClientSize(toolbar, width, height)) return;
  for (int row = 1; row <= height / 2; ++row) {
    for (int column = 1; column <= width / 2; ++column) {
      const auto x = static_cast<std::uint32_t>(2 * column);
      const auto y = static_cast<std::uint32_t>(2 * row);
      area_.SendAndWait(toolbar, kMouseMove, 0, static_cast<std::intptr_t>((y << 16) | x));
    }
  }
}

IconHandle IconFromIconFile(NotifyArea& area, std::span<const std::uint8_t> icon_file,
                            std::size_t index, int* width, int* height) {
  const std::size_t entry = kIconDirectoryStart + kIconEntrySize * index;
  if (icon_file.size() < entry + kIconEntrySize) return 0;
  if (width) *width = icon_file[entry];
  if (height) *height = icon_file[entry + 1];
  const std::size_t size = ReadLittleEndian(icon_file, entry + 8, 4);
  const std::size_t offset = ReadLittleEndian(icon_file, entry + 12, 4);
  // An image that lies outside the file is never read.
  if (size == 0 || offset > icon_file.size() || size > icon_file.size() - offset) return 0;
  return area.IconFromResource(icon_file.data() + offset, size);
}

std::intptr_t TrayWindowProcedure(NotifyArea& area, WindowHandle window, std::uint32_t message,
                                  std::uintptr_t wparam, std::intptr_t lparam) {
  const WindowProcAddress own = area.Property(window, kPropertyWinProc);
  const std::intptr_t callback_message = area.Property(window, kPropertyCallbackMessage);
  const std::intptr_t taskbar_created = area.Property(window, kPropertyTaskbarCreated);
  const auto* callback =
      reinterpret_cast<const TrayCallback*>(area.Property(window, kPropertyExecEvent));
  if (callback && *callback) {
    if (callback_message && message == static_cast<std::uint32_t>(callback_message)) {
      (*callback)(static_cast<int>(lparam));
      return 0;
    }
    if (taskbar_created && message == static_cast<std::uint32_t>(taskbar_created)) {
      (*callback)(kTrayTaskbarCreated);
      return 0;
    }
    if (message == kWmDestroy) (*callback)(kTrayWindowDestroyed);
  }
  return area.CallWindowProcedure(own, window, message, wparam, lparam);
}

}  // namespace kelvo
