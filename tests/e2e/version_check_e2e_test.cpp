// The start-up version check of the whole program against the tests' loopback HTTPS server:
// each case publishes a page (or closes the port), starts the toolbox and sees what the user sees.
#include <gtest/gtest.h>

#include <string>

#include "app/toolbox_window.h"
#include "platform/win32/text_conversion.h"
#include "tests/e2e/driver/driver.h"

namespace kelvo::e2e {
namespace {

constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kBoxTimeoutMs = 20000;
constexpr DWORD kEndTimeoutMs = 5000;

std::wstring ServerFile(const wchar_t* name) {
  return WindowsPath(Environment(L"KELVO_TEST_SERVER_DIR")) + L"\\" + name;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  char buffer[1024];
  DWORD read = 0;
  ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  CloseHandle(file);
  return std::string(buffer, read);
}

std::string VersionPage(const std::string& between) {
  return "<html><body><p>最新版本首" + between + "</p></body></html>";
}

// The browser the shell opens https addresses with, replaced for the test by one that writes the
// address it was given into a file of the server's folder.
class BrowserStandIn {
 public:
  BrowserStandIn() {
    RegCreateKeyExW(HKEY_CLASSES_ROOT, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    DWORD size = sizeof saved_;
    had_value_ = RegQueryValueExW(key_, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(saved_),
                                  &size) == ERROR_SUCCESS;
    DeleteFileW(opened_.c_str());
    const std::wstring command = L"C:\\windows\\system32\\cmd.exe /c echo %1>\"" + opened_ + L"\"";
    RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  }
  ~BrowserStandIn() {
    if (had_value_) {
      RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_),
                     static_cast<DWORD>((wcslen(saved_) + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key_);
    DeleteFileW(opened_.c_str());
  }
  // The address the browser was started with; empty when it was not started within the time.
  std::string Opened(DWORD timeout_ms) const {
    for (DWORD waited = 0; waited < timeout_ms; waited += 100) {
      const std::string text = ReadFileBytes(opened_);
      if (!text.empty()) return text.substr(0, text.find_last_not_of(" \r\n") + 1);
      Sleep(100);
    }
    return {};
  }

 private:
  static constexpr const wchar_t* kKey = L"https\\shell\\open\\command";
  HKEY key_ = nullptr;
  wchar_t saved_[1024] = {};
  bool had_value_ = false;
  std::wstring opened_ = ServerFile(L"opened.txt");
};

struct StartCase {
  const char* name;
  std::string page;      // what the version page holds; empty: the server's port is closed
  const wchar_t* title;  // the message box the user sees, or nullptr when the window opens
  std::string text;
  bool opens_download = false;
};

class VersionCheckEndToEnd : public ::testing::TestWithParam<StartCase> {
 protected:
  void SetUp() override {
    if (Environment(L"KELVO_TEST_SERVER_DIR").empty()) GTEST_SKIP() << "no test server";
    if (GetParam().page.empty()) {
      ASSERT_TRUE(WriteFileBytes(ServerFile(L"refuse"), ""));
      Sleep(500);  // the server closes its port within 50 ms
    } else {
      ASSERT_TRUE(WriteFileBytes(ServerFile(L"version.html"), GetParam().page));
    }
  }
  void TearDown() override {
    WriteFileBytes(ServerFile(L"version.html"), VersionPage("V0.10最新版本尾"));
    if (DeleteFileW(ServerFile(L"refuse").c_str())) Sleep(500);
  }
};

TEST_P(VersionCheckEndToEnd, StartsOrTellsTheUserAndEnds) {
  const StartCase& c = GetParam();
  BrowserStandIn browser;
  auto program = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
  ASSERT_TRUE(program) << "cannot start the toolbox";
  if (c.title == nullptr) {
    EXPECT_NE(WaitForWindow(program->id(), kToolboxWindowClass, kStartTimeoutMs), nullptr);
    EXPECT_EQ(WaitForMessageBox(program->id(), 300), nullptr);
    return;
  }
  HWND box = WaitForMessageBox(program->id(), kBoxTimeoutMs);
  ASSERT_NE(box, nullptr) << "no message box";
  EXPECT_EQ(WindowText(box), c.title);
  EXPECT_EQ(MessageBoxText(box), GbkToUtf16(c.text).c_str());
  EXPECT_TRUE(PressMessageBoxButton(box, IDOK));
  EXPECT_EQ(WaitForSingleObject(program->handle(), kEndTimeoutMs), WAIT_OBJECT_0)
      << "the program did not end";
  EXPECT_EQ(FindWindowW(kToolboxWindowClass, nullptr), nullptr);
  const std::string download = Utf16ToGbk(Environment(L"KELVO_TEST_SERVER")) + "/download.html";
  EXPECT_EQ(browser.Opened(c.opens_download ? kEndTimeoutMs : 500),
            c.opens_download ? download : "");
}

INSTANTIATE_TEST_SUITE_P(
    Published, VersionCheckEndToEnd,
    ::testing::Values(
        StartCase{"Same", VersionPage("V0.10最新版本尾"), nullptr, ""},
        StartCase{"Older", VersionPage("V0.9最新版本尾"), nullptr, ""},
        StartCase{"Newer", VersionPage("V0.11最新版本尾"), L"版本更新",
                  "发现新版本V0.11即将跳转新版下载链接，若有网页密码限制请输入9274。", true},
        StartCase{"NoTailMarker", VersionPage("V0.11"), L"通知", "网络断开，与服务器连接断开。"},
        StartCase{"PortClosed", "", L"通知", "网络断开，与服务器连接断开。"}),
    [](const auto& info) { return std::string(info.param.name); });

// A second copy waits for its own fetch, then the single-instance guard ends it before any
// message, even when the server is down.
TEST(VersionCheckSecondCopy, EndsSilentlyWithTheServerDown) {
  if (Environment(L"KELVO_TEST_SERVER_DIR").empty()) GTEST_SKIP() << "no test server";
  auto first = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
  ASSERT_TRUE(first);
  ASSERT_NE(WaitForWindow(first->id(), kToolboxWindowClass, kStartTimeoutMs), nullptr);
  ASSERT_TRUE(WriteFileBytes(ServerFile(L"refuse"), ""));
  Sleep(500);
  auto second = StartProgram(Environment(L"KELVO_TOOLBOX_EXE"));
  ASSERT_TRUE(second);
  EXPECT_EQ(WaitForMessageBox(second->id(), 3000), nullptr);
  EXPECT_EQ(WaitForSingleObject(second->handle(), kBoxTimeoutMs), WAIT_OBJECT_0);
  EXPECT_TRUE(first->Running());
  DeleteFileW(ServerFile(L"refuse").c_str());
  Sleep(500);
}

}  // namespace
}  // namespace kelvo::e2e
