#include "win_test_support.h"

#include <winioctl.h>
#include <winsock2.h>

#include <cstring>
#include <map>

#include "platform/win32/text_conversion.h"

namespace kelvo::test {
namespace {

thread_local std::map<UINT_PTR, ThreadTimer*> t_timers;

void RemoveLinkW(const std::wstring& link);

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  const HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveLinkW(child);
        continue;
      }
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

// Wine starts a Unix program given to CreateProcessW, but hands back no handle to wait on: the
// caller's `done` tells when its work shows, checked for up to five seconds.
bool RunUnixCommand(const std::vector<std::string>& utf8_arguments,
                    const std::function<bool()>& done) {
  std::wstring command;
  for (const std::string& argument : utf8_arguments) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, argument.data(),
                                             static_cast<int>(argument.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, argument.data(), static_cast<int>(argument.size()),
                          wide.data(), length);
    command += (command.empty() ? L"" : L" ") + (L'"' + wide + L'"');
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
    return false;
  }
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
  for (const Stopwatch watch; watch.ElapsedMs() < 5000; ::Sleep(20)) {
    if (done()) return true;
  }
  return done();
}

// The Unix path of a Windows path, through the export Wine's kernel32 has for it.
std::string UnixPath(const std::wstring& path) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  const FARPROC found =
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
  if (found == nullptr) return {};
  const auto unix_file_name = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(found));
  char* unix_path = unix_file_name(path.c_str());
  if (unix_path == nullptr) return {};
  std::string result(unix_path);
  ::HeapFree(::GetProcessHeap(), 0, unix_path);
  return result;
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeUnixLink(const std::wstring& link, const std::wstring& target) {
  const std::string unix_link = UnixPath(link);
  const std::string unix_target = UnixPath(target);
  if (unix_link.empty() || unix_target.empty()) return false;
  return RunUnixCommand({"/bin/ln", "-s", unix_target, unix_link}, [&] { return Exists(link); });
}

// A junction: a folder carrying a mount-point reparse point with the target's NT path.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!::CreateDirectoryW(link.c_str(), nullptr)) return false;
  const std::wstring substitute = L"\\??\\" + target;
  const std::size_t substitute_bytes = substitute.size() * sizeof(wchar_t);
  const std::size_t print_bytes = target.size() * sizeof(wchar_t);
  constexpr std::size_t kHeader = 8;       // tag, data length, reserved
  constexpr std::size_t kMountHeader = 8;  // offsets and lengths of the two names
  const std::size_t data_bytes = kMountHeader + substitute_bytes + 2 + print_bytes + 2;
  std::vector<BYTE> buffer(kHeader + data_bytes, 0);
  const auto put16 = [&](std::size_t at, std::size_t value) {
    const WORD word = static_cast<WORD>(value);
    std::memcpy(&buffer[at], &word, sizeof word);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(&buffer[0], &tag, sizeof tag);
  put16(4, data_bytes);
  put16(8, 0);
  put16(10, substitute_bytes);
  put16(12, substitute_bytes + 2);
  put16(14, print_bytes);
  std::memcpy(&buffer[16], substitute.data(), substitute_bytes);
  std::memcpy(&buffer[16 + substitute_bytes + 2], target.data(), print_bytes);
  UniqueHandle folder(::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                    nullptr));
  DWORD returned = 0;
  if (folder &&
      ::DeviceIoControl(folder.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                        static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr)) {
    return true;
  }
  folder.reset();
  ::RemoveDirectoryW(link.c_str());
  return false;
}

void RemoveLinkW(const std::wstring& link) {
  if (UnderWine()) {
    const std::string unix_link = UnixPath(link);
    if (!unix_link.empty())
      RunUnixCommand({"/bin/rm", "-f", unix_link}, [&] { return !Exists(link); });
    return;
  }
  // Windows removes a junction or symbolic link itself, not what it leads to.
  if (!::RemoveDirectoryW(link.c_str())) ::DeleteFileW(link.c_str());
}

}  // namespace

bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

bool MakeFolderLink(const std::string& link, const std::string& target) {
  if (UnderWine()) return MakeUnixLink(Wide(link), Wide(target));
  return MakeJunction(Wide(link), Wide(target));
}

bool MakeFileLink(const std::string& link, const std::string& target) {
  if (UnderWine()) return MakeUnixLink(Wide(link), Wide(target));
  constexpr DWORD kAllowUnprivileged = 0x2;  // developer mode
  return ::CreateSymbolicLinkW(Wide(link).c_str(), Wide(target).c_str(), kAllowUnprivileged) != 0;
}

void RemoveLink(const std::string& link) {
  RemoveLinkW(Wide(link));
}

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

std::string EnvironmentText(const char* name) {
  char value[1024] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

ClosedLoopbackPort::ClosedLoopbackPort() {
  WSADATA data;
  ::WSAStartup(MAKEWORD(2, 2), &data);
  const SOCKET holder = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  socket_ = holder;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port_ = ntohs(address.sin_port);
  }
}

ClosedLoopbackPort::~ClosedLoopbackPort() {
  ::closesocket(static_cast<SOCKET>(socket_));
  ::WSACleanup();
}

}  // namespace kelvo::test
