// DLL planting: a winhttp.dll and a winsta.dll of someone else's beside the program (and in the
// folder it is started from) are never loaded; the program takes both from the system folder.
// The stand-ins leave a file "<dll>.loaded" when anyone loads them.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/toolbox_window.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/e2e_files.h"

namespace kelvo::e2e {
namespace {

namespace fs = std::filesystem;

constexpr DWORD kStartTimeoutMs = 20000;
constexpr const wchar_t* kPlanted[] = {L"winhttp.dll", L"winsta.dll"};

bool Loaded(const fs::path& dll) {
  return fs::exists(fs::path(dll.wstring() + L".loaded"));
}

// Wine prefers its own winhttp.dll to one found beside a program, where Windows takes the one
// beside the program. Naming both DLLs "native first" for the test gives Windows' search order;
// Windows ignores the key.
class NativeFirst {
 public:
  NativeFirst() {
    RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", 0, nullptr, 0,
                    KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    for (const wchar_t* dll : kPlanted) {
      const std::wstring name = fs::path(dll).stem().wstring();
      if (RegQueryValueExW(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
          ERROR_SUCCESS) {
        continue;  // someone's own setting stays
      }
      constexpr wchar_t kOrder[] = L"native,builtin";
      RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(kOrder),
                     sizeof kOrder);
      added_.push_back(name);
    }
  }
  ~NativeFirst() {
    for (const std::wstring& name : added_)
      RegDeleteValueW(key_, name.c_str());
    RegCloseKey(key_);
  }
  NativeFirst(const NativeFirst&) = delete;
  NativeFirst& operator=(const NativeFirst&) = delete;

 private:
  HKEY key_ = nullptr;
  std::vector<std::wstring> added_;
};

class DllPlanting : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring planted = Environment(L"KELVO_PLANTED_DLLS");
    if (planted.empty()) GTEST_SKIP() << "KELVO_PLANTED_DLLS is not set";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = fs::path(temp) / (L"种植-" + std::to_wstring(GetCurrentProcessId()));
    RemoveTree(folder_);
    fs::create_directories(folder_);
    for (const wchar_t* dll : kPlanted)
      fs::copy_file(fs::path(WindowsPath(planted)) / dll, folder_ / dll);
  }
  void TearDown() override {
    if (!folder_.empty()) RemoveTree(folder_);
  }

  fs::path folder_;
  NativeFirst native_first_;
};

TEST_F(DllPlanting, ACarelessProgramBesideThemLoadsThem) {
  // Shows that the stand-ins are found and run on this system, so that their absence below means
  // something.
  fs::copy_file(fs::path(WindowsPath(Environment(L"KELVO_NAIVE_LOADER_EXE"))),
                folder_ / L"loader.exe");
  for (const wchar_t* dll : kPlanted) {
    auto loader = StartProgram((folder_ / L"loader.exe").wstring(), dll);
    ASSERT_TRUE(loader);
    ASSERT_EQ(WaitForSingleObject(loader->handle(), 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(Loaded(folder_ / dll)) << fs::path(dll).string();
  }
}

TEST_F(DllPlanting, TheToolboxLoadsNeitherAndStillStarts) {
  const fs::path exe =
      folder_ / fs::path(WindowsPath(Environment(L"KELVO_TOOLBOX_EXE"))).filename();
  fs::copy_file(fs::path(WindowsPath(Environment(L"KELVO_TOOLBOX_EXE"))), exe);
  // Started from that folder too: the current folder is no place to find DLLs in either.
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.c_str()));
  auto program = StartProgram(exe.wstring());
  SetCurrentDirectoryW(previous);
  ASSERT_TRUE(program) << "cannot start the toolbox";
  // The window comes up only after the version page was read over WinHTTP and the desktop user
  // was resolved, which asks winsta.dll.
  EXPECT_NE(WaitForWindow(program->id(), kToolboxWindowClass, kStartTimeoutMs), nullptr);
  program->Stop();
  for (const wchar_t* dll : kPlanted)
    EXPECT_FALSE(Loaded(folder_ / dll)) << fs::path(dll).string() << " was loaded";
}

}  // namespace
}  // namespace kelvo::e2e
