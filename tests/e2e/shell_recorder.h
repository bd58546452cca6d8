// Puts a recorder in the place of taskkill.exe and explorer.exe for as long as it lives: a real
// taskkill of explorer.exe would end Wine's desktop with every test window on it. The recorder
// writes "<own path>|<command line>|<current folder>" lines to %TEMP%\kelvo-recorder.log.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/driver/driver.h"
#include "tests/e2e/e2e_files.h"

namespace kelvo::e2e {

class ShellRecorder {
 public:
  ShellRecorder() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    windows_ = windows;
    // Wine prefers its own builtin programs of the system folder to a file put there, unless the
    // prefix's overrides say otherwise.
    RegSetKeyValueW(HKEY_CURRENT_USER, kWineOverrides, L"taskkill.exe", REG_SZ, L"native",
                    sizeof(L"native"));
    const std::wstring recorder = WindowsPath(Environment(L"KELVO_RECORDER_EXE"));
    for (const std::filesystem::path& program :
         {windows_ / L"system32" / L"taskkill.exe", windows_ / L"explorer.exe"}) {
      const std::filesystem::path original = program.wstring() + L".kelvo-original";
      if (!CopyFileW(program.c_str(), original.c_str(), FALSE)) continue;
      replaced_.push_back(program);
      ok_ = CopyFileW(recorder.c_str(), program.c_str(), FALSE) && ok_;
    }
    ok_ = ok_ && replaced_.size() == 2;
    std::filesystem::remove(Log());
  }

  ~ShellRecorder() {
    for (const std::filesystem::path& program : replaced_) {
      const std::filesystem::path original = program.wstring() + L".kelvo-original";
      CopyFileW(original.c_str(), program.c_str(), FALSE);
      DeleteFileW(original.c_str());
    }
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kWineOverrides, L"taskkill.exe");
  }

  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;

  bool ok() const { return ok_; }
  const std::filesystem::path& windows() const { return windows_; }

  // The recorded starts, in lower case.
  std::vector<std::wstring> Recorded() const {
    std::vector<std::wstring> lines;
    std::istringstream log(ReadFile(Log()));
    for (std::string line; std::getline(log, line);) {
      std::wstring wide = std::filesystem::u8path(line).wstring();
      std::transform(wide.begin(), wide.end(), wide.begin(), towlower);
      lines.push_back(wide);
    }
    return lines;
  }

 private:
  static constexpr wchar_t kWineOverrides[] = L"Software\\Wine\\DllOverrides";

  static std::filesystem::path Log() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::filesystem::path(temp) / L"kelvo-recorder.log";
  }

  std::filesystem::path windows_;
  std::vector<std::filesystem::path> replaced_;
  bool ok_ = true;
};

}  // namespace kelvo::e2e
