// Drives the toolbox from another process, as a user would: find its window, read and click its
// controls, wait for its message boxes and answer them. Every wait is bounded.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace kelvo::e2e {

struct ControlInfo {
  int id = 0;
  std::wstring window_class;
  std::wstring caption;
  RECT rect{};  // in the parent's client coordinates
  bool checked = false;
  bool enabled = false;
  bool visible = false;
};

// A program started by the driver; ended (and waited for) when it goes out of scope.
class Started {
 public:
  Started() = default;
  explicit Started(PROCESS_INFORMATION info) : info_(info) {}
  Started(Started&& other) noexcept : info_(other.info_) { other.info_ = {}; }
  Started& operator=(Started&& other) noexcept;
  ~Started() { Stop(); }

  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  bool Running() const;
  void Stop();

 private:
  PROCESS_INFORMATION info_{};
};

// Starts a program (Windows or Linux path) with arguments; nullopt when it cannot start.
std::optional<Started> StartProgram(const std::wstring& path, const std::wstring& arguments = L"");
// The toolbox named by KELVO_TOOLBOX_EXE, started as a user starts it: its window once it is up,
// nullptr when it did not come up in time.
HWND StartToolbox(Started& program, DWORD timeout_ms = 20000);
// A variable of the test's environment (the test scripts pass paths this way); empty when unset.
std::wstring Environment(const wchar_t* name);
// A Linux path as Wine sees it (Z:\...); Windows paths are returned unchanged.
std::wstring WindowsPath(const std::wstring& path);

// The first top-level window of the process with the class (any title), waiting up to timeout_ms.
HWND WaitForWindow(DWORD process_id, const std::wstring& window_class, DWORD timeout_ms,
                   bool visible_only = true);
std::wstring WindowText(HWND window);
std::wstring ClassOf(HWND window);
std::vector<ControlInfo> ListControls(HWND parent);
std::optional<ControlInfo> FindControl(HWND parent, int id);
RECT ClientRectOf(HWND window);

// Clicks without waiting for what the click starts (a handler may open a modal box).
void ClickControl(HWND parent, int id);
// A press of the left mouse button on a control that reacts to the press (a label).
void PressOnControl(HWND parent, int id);

// A message box (#32770) owned by the process, waiting up to timeout_ms; nullptr if none came.
HWND WaitForMessageBox(DWORD process_id, DWORD timeout_ms);
std::wstring MessageBoxText(HWND box);
// Presses a button of the box by its id (IDOK 1, IDYES 6, IDNO 7) and waits until the box is gone.
bool PressMessageBoxButton(HWND box, int button_id, DWORD timeout_ms = 5000);
bool WaitUntil(DWORD timeout_ms, bool (*condition)(void*), void* context);

// The notification area. The shell changes an icon only when it is up, so an empty change (no
// flags) for the window and id answers whether the icon is up without touching it.
bool TrayIconUp(HWND window, UINT id = 1);
// Takes the icon away as a restarting shell does.
bool RemoveTrayIcon(HWND window, UINT id = 1);
// What the shell posts the window when the mouse acts over its icon (code = mouse message).
void PostTrayMessage(HWND window, int code, UINT callback_message = 11685, UINT id = 1);
// "TaskbarCreated" to every top-level window, as a restarted shell announces itself.
void BroadcastTaskbarCreated();
// The popup menu (#32768) that the process has open, waiting up to timeout_ms.
HWND WaitForPopupMenu(DWORD process_id, DWORD timeout_ms);
// Presses keys in the open menu (VK_DOWN, VK_RETURN, VK_ESCAPE ...), as the user would.
void PressMenuKeys(HWND menu, const std::vector<WORD>& keys);

// The whole screen as a 24-bit BMP file.
bool SaveScreenshot(const std::wstring& path);

}  // namespace kelvo::e2e
