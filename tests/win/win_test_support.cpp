#include "win_test_support.h"

#include <map>

#include "platform/win32/text_conversion.h"

namespace kelvo::test {
namespace {

thread_local std::map<UINT_PTR, ThreadTimer*> t_timers;

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L"\\" + name;
      ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(folder.c_str());
}

BOOL CALLBACK CollectBox(HWND window, LPARAM boxes) {
  wchar_t name[8];
  if (::GetClassNameW(window, name, 8) > 0 && std::wstring(name) == L"#32770") {
    reinterpret_cast<std::vector<HWND>*>(boxes)->push_back(window);
  }
  return TRUE;
}

}  // namespace

std::string UniqueName(const std::string& prefix) {
  static int counter = 0;
  return prefix + "_" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter);
}

std::wstring Wide(const std::string& gbk) {
  std::wstring wide = GbkToUtf16(gbk);
  if (!wide.empty()) wide.pop_back();
  return wide;
}

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
  std::wstring folder(temp, length);
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  folder += L"\\" + Wide(UniqueName("kelvo测试乗"));
  ::CreateDirectoryW(folder.c_str(), nullptr);
  path_ = Utf16ToGbk(folder);
}

// The \\?\ form reaches trees deeper than MAX_PATH too.
TempFolder::~TempFolder() {
  RemoveTree(L"\\\\?\\" + Wide(path_));
}

ThreadTimer::ThreadTimer(UINT delay_ms, std::function<void()> action, bool repeat)
    : action_(std::move(action)), repeat_(repeat) {
  id_ = ::SetTimer(nullptr, 0, delay_ms, OnTimer);
  t_timers[id_] = this;
}

ThreadTimer::~ThreadTimer() {
  if (id_ != 0) {
    ::KillTimer(nullptr, id_);
    t_timers.erase(id_);
  }
}

void CALLBACK ThreadTimer::OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  const auto found = t_timers.find(id);
  if (found == t_timers.end()) return;
  ThreadTimer* timer = found->second;
  if (!timer->repeat_) {
    ::KillTimer(nullptr, id);
    t_timers.erase(found);
    timer->id_ = 0;
  }
  ++timer->ticks_;
  timer->action_();
}

UniqueWindow MakeWindow(const std::wstring& title, DWORD style, HWND owner) {
  static const ATOM registered = [] {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = ::DefWindowProcW;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = kTestWindowClass;
    return ::RegisterClassW(&window_class);
  }();
  if (registered == 0) return UniqueWindow();
  return UniqueWindow(::CreateWindowExW(0, kTestWindowClass, title.c_str(), style, 10, 10, 300, 200,
                                        owner, nullptr, ::GetModuleHandleW(nullptr), nullptr));
}

std::vector<HWND> MessageBoxesOfThread(DWORD thread_id) {
  std::vector<HWND> boxes;
  ::EnumThreadWindows(thread_id, CollectBox, reinterpret_cast<LPARAM>(&boxes));
  return boxes;
}

BoxWatchdog::BoxWatchdog(DWORD bound_ms)
    : thread_id_(::GetCurrentThreadId()),
      stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      watcher_([this, bound_ms] { Watch(bound_ms); }) {}

BoxWatchdog::~BoxWatchdog() {
  ::SetEvent(stop_.get());
  watcher_.join();
}

void BoxWatchdog::Watch(DWORD bound_ms) {
  if (::WaitForSingleObject(stop_.get(), bound_ms) == WAIT_OBJECT_0) return;
  // Too late: close whatever is up, every 200 ms, until the test thread gets back to us.
  do {
    const std::vector<HWND> boxes = MessageBoxesOfThread(thread_id_);
    if (!boxes.empty()) fired_ = true;
    for (HWND box : boxes) {
      for (int button : {IDCANCEL, IDNO, IDOK}) {
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      }
    }
  } while (::WaitForSingleObject(stop_.get(), 200) == WAIT_TIMEOUT);
}

}  // namespace kelvo::test
