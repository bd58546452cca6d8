// The release maintenance buttons, clicked in the running program, checked on disk and in the
// registry of the test's Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/toolbox_layout.h"
#include "app/toolbox_window.h"
#include "model/version_catalogue.h"
#include "platform/win32/text_conversion.h"
#include "tests/e2e/driver/driver.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/toolbox_fixture.h"

namespace kelvo::e2e {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kLaunchFolder[] = L"C:\\Program Files (x86)\\Kelvo";

HKEY CreateKey(HKEY root, const std::wstring& key, REGSAM view = KEY_WOW64_64KEY) {
  HKEY handle = nullptr;
  RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle,
                  nullptr);
  return handle;
}

void MakeKey(HKEY root, const std::wstring& key, REGSAM view = KEY_WOW64_64KEY) {
  if (HKEY handle = CreateKey(root, key, view)) RegCloseKey(handle);
}

bool KeyExists(HKEY root, const std::wstring& key, REGSAM view = KEY_WOW64_64KEY) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

void DeleteKey(HKEY root, const std::wstring& key, REGSAM view = KEY_WOW64_64KEY) {
  HKEY base = nullptr;
  if (RegOpenKeyExW(root, L"", 0, KEY_ALL_ACCESS | view, &base) == ERROR_SUCCESS) {
    RegDeleteTreeW(base, key.c_str());
    RegCloseKey(base);
  }
}

std::wstring DefaultValue(HKEY root, const std::wstring& key) {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return L"<missing>";
  }
  return value;
}

using MaintenanceEndToEnd = RunningToolbox;

TEST_F(MaintenanceEndToEnd, DefaultOpenRegistersTheChosenRelease) {
  Choose(MaxVersion::R2020);
  const Box box = ClickAndAnswer(Control::按钮2);
  EXPECT_EQ(box.title, L"通知");
  EXPECT_EQ(box.text, L"默认打开方式修改成功。");
  const std::wstring command = DefaultValue(HKEY_CLASSES_ROOT, L"3dsmax\\Shell\\Open\\Command");
  EXPECT_EQ(command, L"\"C:\\Program Files\\Autodesk\\3ds Max 2020\\\\3dsmax.exe\" \"%1\"");
  EXPECT_EQ(command.size(), 57u);
}

TEST_F(MaintenanceEndToEnd, ResetRemovesOnlyTheChosenReleasesUserFolder) {
  const MaxVersion releases[] = {MaxVersion::R2015, MaxVersion::R2016, MaxVersion::R2017};
  for (MaxVersion release : releases)
    MakeFile(fs::path(UserDir(release)) / L"ENU" / L"a.ini");

  Choose(MaxVersion::R2016);
  const Box box = ClickAndAnswer(Control::按钮4);
  EXPECT_EQ(box.title, L"通知");
  EXPECT_EQ(box.text, L"3DMAX重置完成！");
  EXPECT_FALSE(fs::exists(UserDir(MaxVersion::R2016)));
  EXPECT_TRUE(fs::exists(fs::path(UserDir(MaxVersion::R2015)) / L"ENU" / L"a.ini"));
  EXPECT_TRUE(fs::exists(fs::path(UserDir(MaxVersion::R2017)) / L"ENU" / L"a.ini"));
  for (MaxVersion release : releases)
    RemoveTree(UserDir(release));
}

TEST_F(MaintenanceEndToEnd, UninstallCleanupAsksFirstThenRemovesTheRelease) {
  const std::wstring install_2016 = Wide(InstallDir(MaxVersion::R2016));
  const std::wstring install_2015 = Wide(InstallDir(MaxVersion::R2015));
  MakeFile(fs::path(install_2016) / L"3dsmax.exe");
  MakeFile(fs::path(install_2015) / L"3dsmax.exe");
  MakeFile(fs::path(UserDir(MaxVersion::R2016)) / L"ENU" / L"a.ini");
  MakeKey(HKEY_CURRENT_USER, L"Software\\Autodesk\\3dsMax\\18.0");
  MakeKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\3dsMax\\18.0");
  MakeKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Autodesk\\3dsMax\\18.0");
  const std::wstring products = L"SOFTWARE\\Classes\\Installer\\Products\\";
  for (const char* code : ProductCodes(MaxVersion::R2016))
    MakeKey(HKEY_LOCAL_MACHINE, products + Wide(code));
  const std::wstring code_2015 = products + Wide(ProductCodes(MaxVersion::R2015)[0]);
  MakeKey(HKEY_LOCAL_MACHINE, code_2015);

  Choose(MaxVersion::R2016);
  const Box question = ClickAndAnswer(Control::按钮5, IDNO);
  EXPECT_EQ(question.text, L"请确认当前已处于非正常卸载状态,将执行清理注册表及删除MAX残留操作。");
  EXPECT_EQ(WaitForMessageBox(program_.id(), 700), nullptr) << "No must end the operation";
  EXPECT_TRUE(fs::exists(install_2016));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\3dsMax"));

  ClickAndAnswer(Control::按钮5, IDYES);
  const Box done = Answer(IDOK);
  EXPECT_EQ(done.title, L"通知");
  EXPECT_EQ(done.text, L"MAX残留清理完毕！");
  EXPECT_FALSE(fs::exists(install_2016));
  EXPECT_FALSE(fs::exists(UserDir(MaxVersion::R2016)));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Autodesk\\3dsMax"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\3dsMax"));
  for (const char* code : ProductCodes(MaxVersion::R2016)) {
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, products + Wide(code))) << code;
  }
  // What belongs to other releases, and the 32-bit view's settings, stay.
  EXPECT_TRUE(fs::exists(fs::path(install_2015) / L"3dsmax.exe"));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, code_2015));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Autodesk\\3dsMax\\18.0"));

  RemoveTree(install_2015);
  DeleteKey(HKEY_LOCAL_MACHINE, code_2015);
  DeleteKey(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Autodesk\\3dsMax");
}

TEST_F(MaintenanceEndToEnd, LaunchWithMaxInstallsIntoInstalledReleasesAndIsRemembered) {
  const MaxVersion installed[] = {MaxVersion::R2014, MaxVersion::R2020};
  for (MaxVersion release : installed)
    fs::create_directories(Wide(InstallStartupDir(release)));
  const std::string script =
      "shellLaunch \"C:\\Program Files (x86)\\Kelvo\\KelvoMAX工具.exe\" \"AutoStartUp\"";
  const fs::path launch_folder(kLaunchFolder);

  ClickControl(window_, ControlId(Control::选择框1));
  EXPECT_EQ(WaitForMessageBox(program_.id(), 1500), nullptr) << "ticking shows nothing";
  EXPECT_TRUE(Checked(Control::选择框1));
  EXPECT_TRUE(fs::exists(launch_folder / L"KelvoMAX工具.exe"));
  EXPECT_TRUE(fs::exists(launch_folder / L"Setup.ini"));
  EXPECT_EQ(fs::file_size(launch_folder / L"Setup.ini"), 0u);
  for (MaxVersion release : AllReleases()) {
    const fs::path file(Wide(LaunchScriptFile(release)));
    if (release == MaxVersion::R2014 || release == MaxVersion::R2020) {
      EXPECT_EQ(ReadFile(file), script) << Year(release);
    } else {
      EXPECT_FALSE(fs::exists(file)) << Year(release);
    }
  }

  StartToolbox();
  EXPECT_TRUE(Checked(Control::选择框1)) << "the marker is remembered";

  ClickControl(window_, ControlId(Control::选择框1));
  EXPECT_EQ(WaitForMessageBox(program_.id(), 1500), nullptr) << "unticking shows nothing";
  EXPECT_FALSE(fs::exists(launch_folder));
  for (MaxVersion release : installed)
    EXPECT_FALSE(fs::exists(Wide(LaunchScriptFile(release))));

  StartToolbox();
  EXPECT_FALSE(Checked(Control::选择框1));
  for (MaxVersion release : installed)
    RemoveTree(Wide(InstallDir(release)));
}

}  // namespace
}  // namespace kelvo::e2e
