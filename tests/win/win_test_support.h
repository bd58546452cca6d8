// Helpers for the Windows-side tests: unique names, a scratch folder, thread timers, and a
// watchdog that keeps a message box that fails to close from hanging the run.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace kelvo::test {

// A name that no other test and no other run uses: prefix, process id and a counter.
std::string UniqueName(const std::string& prefix);
std::wstring Wide(const std::string& gbk);  // GBK to UTF-16 without terminator

// An environment variable of the test run, as GBK; empty when it is not set.
std::string EnvironmentText(const char* name);

// A loopback port that is closed for the object's life: a socket bound to it without listening
// holds it, so a connection to it is refused at once.
class ClosedLoopbackPort {
 public:
  ClosedLoopbackPort();
  ~ClosedLoopbackPort();
  ClosedLoopbackPort(const ClosedLoopbackPort&) = delete;
  ClosedLoopbackPort& operator=(const ClosedLoopbackPort&) = delete;

  std::uint16_t port() const { return port_; }

 private:
  std::uintptr_t socket_;
  std::uint16_t port_ = 0;
};

// True under Wine (its ntdll exports wine_get_version).
bool UnderWine();

// A link at `link` that leads to the folder or file `target` (GBK, full paths). Under Wine a
// Unix symbolic link made with ln -s, which Wine reports as a reparse point (CreateSymbolicLinkW
// and FSCTL_SET_REPARSE_POINT make nothing there); on Windows a junction for a folder and a
// symbolic link for a file (that one needs the right to create symbolic links). False when no
// link could be made.
bool MakeFolderLink(const std::string& link, const std::string& target);
bool MakeFileLink(const std::string& link, const std::string& target);
// Removes the link and never its target (under Wine with rm, since Wine deletes through links).
void RemoveLink(const std::string& link);

// A fresh folder under %TEMP% whose name holds Chinese characters (one of them has 0x5C as its
// second GBK byte). Removed at the end with everything in it, read-only files included; links
// in it are removed as links, whatever they lead to.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Join(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Milliseconds from the performance counter. (<chrono> cannot be used: its "\u00b5s" unit
// suffix has no GBK form, so it does not compile with -fexec-charset=GBK.)
class Stopwatch {
 public:
  Stopwatch() : start_(Now()) {}
  std::int64_t ElapsedMs() const { return (Now() - start_) * 1000 / Frequency(); }

 private:
  static std::int64_t Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
  }
  static std::int64_t Frequency() {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return frequency.QuadPart;
  }
  std::int64_t start_;
};

// Runs `action` from a timer of the calling thread (SetTimer(NULL, ...)), once after delay_ms or
// every period until destroyed. It runs only while the thread dispatches messages.
class ThreadTimer {
 public:
  ThreadTimer(UINT delay_ms, std::function<void()> action, bool repeat = false);
  ~ThreadTimer();
  ThreadTimer(const ThreadTimer&) = delete;
  ThreadTimer& operator=(const ThreadTimer&) = delete;

  int ticks() const { return ticks_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);
  std::function<void()> action_;
  bool repeat_;
  UINT_PTR id_ = 0;
  int ticks_ = 0;
};

inline constexpr wchar_t kTestWindowClass[] = L"KelvoTestWindow";

// A top-level window of class kTestWindowClass on the calling thread (an owned pop-up when an
// owner is given), destroyed with its owner object.
UniqueWindow MakeWindow(const std::wstring& title, DWORD style, HWND owner = nullptr);

// The message boxes (class #32770) that a thread shows, in z-order.
std::vector<HWND> MessageBoxesOfThread(DWORD thread_id);

// Watches the thread that creates it: if its boxes are still up after bound_ms, a second thread
// presses their buttons (Cancel, No, OK) until they are gone, and fired() turns true.
class BoxWatchdog {
 public:
  explicit BoxWatchdog(DWORD bound_ms);
  ~BoxWatchdog();
  BoxWatchdog(const BoxWatchdog&) = delete;
  BoxWatchdog& operator=(const BoxWatchdog&) = delete;

  bool fired() const { return fired_; }

 private:
  void Watch(DWORD bound_ms);
  DWORD thread_id_;
  UniqueHandle stop_;  // manual-reset event
  std::atomic<bool> fired_{false};
  std::thread watcher_;
};

}  // namespace kelvo::test
