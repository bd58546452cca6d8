// Every operation of the running program once, with stand-ins for 3ds Max, and after each one a
// picture of the whole prefix (drive C and the registry) compared with the one before: only the
// files and keys that the operation says it changes may have changed. The test runs in a Wine
// instance of its own, so no other test writes into the prefix meanwhile.
#include <gtest/gtest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <sddl.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "model/version_catalogue.h"
#include "tests/e2e/e2e_files.h"
#include "tests/e2e/prefix_snapshot.h"
#include "tests/e2e/shell_recorder.h"
#include "tests/e2e/toolbox_fixture.h"

namespace kelvo::e2e {
namespace {

namespace fs = std::filesystem;

// Long enough for a status tick (one a second) to have seen the stand-ins come or go.
constexpr DWORD kStatusSeesMaxMs = 1500;
// 假死救援 may wait ten seconds for its batch and five for taskkill.
constexpr DWORD kRescueTimeoutMs = 30000;
constexpr UINT kTrayLeftButtonUp = 514;
constexpr UINT kTrayRightButtonUp = 517;

constexpr wchar_t kTipKey[] =
    L"Software\\Microsoft\\CTF\\TIP\\{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}";
constexpr wchar_t kTsfKey[] =
    L"Software\\Microsoft\\Input\\TSF\\Tsf3Override\\{81d4e9c9-1d3b-41bc-9e6c-4b40bf79e35e}";

// The current user's hive as HKEY_USERS names it: HKEY_CURRENT_USER is walked there, so that a
// write to another user's hive would show too.
std::wstring CurrentUserHive() {
  HANDLE token = nullptr;
  std::wstring hive = L"HKU\\?";
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return hive;
  BYTE buffer[256] = {};
  DWORD size = 0;
  if (GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size)) {
    wchar_t* sid = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
      hive = L"HKU\\" + std::wstring(sid);
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return hive;
}

std::wstring Folder(const std::string& gbk) {
  std::wstring folder = Wide(gbk);
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

// A folder and everything in it.
std::vector<std::wstring> Tree(const std::wstring& folder) {
  return {folder, folder + L"\\*"};
}

void Append(std::vector<std::wstring>& to, const std::vector<std::wstring>& more) {
  to.insert(to.end(), more.begin(), more.end());
}

void SetKeyText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
  RegSetKeyValueW(root, key.c_str(), name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void DeleteKeyTree(HKEY root, const std::wstring& key) {
  HKEY base = nullptr;
  if (RegOpenKeyExW(root, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, &base) == ERROR_SUCCESS) {
    RegDeleteTreeW(base, key.c_str());
    RegCloseKey(base);
  }
}

class DocumentedChanges : public RunningToolbox {
 protected:
  void SetUp() override {
    ASSERT_TRUE(recorder_.ok()) << "cannot put the recorder in place";
    PrepareReleases();
    before_ = Picture();
    std::cout << "the prefix holds " << before_.size() << " files, folders, keys and values"
              << std::endl;
    RunningToolbox::SetUp();
  }

  void TearDown() override {
    RunningToolbox::TearDown();
    standins_.clear();
  }

  // Three releases installed, four with user settings, and their registry entries; 2015 and
  // 2017 are bystanders that only the operations on other releases see.
  void PrepareReleases() {
    for (MaxVersion release : {MaxVersion::R2015, MaxVersion::R2016, MaxVersion::R2021}) {
      const fs::path install = Folder(InstallDir(release));
      RemoveTree(install);
      MakeFile(install / L"3dsmax.exe");
      MakeFile(install / L"plugins" / L"a.dlu");
      MakeFile(install / L"scripts" / L"other.ms");
      MakeFile(install / L"scripts" / L"startup" / L"plugin.ms");
    }
    for (MaxVersion release :
         {MaxVersion::R2015, MaxVersion::R2016, MaxVersion::R2017, MaxVersion::R2021}) {
      const fs::path user = UserDir(release);
      RemoveTree(user);
      MakeFile(user / L"ENU" / L"3dsmax.ini");
      MakeFile(user / L"CHS" / L"scripts" / L"startup" / L"病毒.ms", "virus");
      MakeFile(user / L"ENU" / L"scripts" / L"startup" / L"b.ms", "virus");
    }
    RemoveTree(L"C:\\Program Files (x86)\\Kelvo");
    SetKeyText(HKEY_CURRENT_USER, L"Software\\Autodesk\\3dsMax\\18.0", L"Language", L"ENU");
    SetKeyText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Autodesk\\3dsMax\\18.0", L"Installdir",
               Wide(InstallDir(MaxVersion::R2016)));
    SetKeyText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\WOW6432Node\\Autodesk\\3dsMax\\18.0", L"Installdir",
               Wide(InstallDir(MaxVersion::R2016)));
    for (MaxVersion release : {MaxVersion::R2015, MaxVersion::R2016}) {
      for (const char* code : ProductCodes(release))
        SetKeyText(HKEY_LOCAL_MACHINE, ProductKey(code), L"ProductName", L"3ds Max");
    }
    SetKeyText(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\3dsmax\\Shell\\Open\\Command", nullptr,
               Wide(OpenCommand(MaxVersion::R2015)));
    DeleteKeyTree(HKEY_CURRENT_USER, kTipKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kTsfKey);
  }

  static std::wstring ProductKey(const char* code) {
    return L"SOFTWARE\\Classes\\Installer\\Products\\" + Wide(code);
  }

  static PrefixSnapshot Picture() {
    PrefixSnapshot picture;
    picture.AddFolderTree(L"C:\\");
    picture.AddRegistryTree(HKEY_LOCAL_MACHINE, L"HKLM");
    picture.AddRegistryTree(HKEY_USERS, L"HKU");
    return picture;
  }

  // Compares the prefix with the picture taken after the step before: every change must match
  // one of `documented` (or be Wine's own), and a step that documents changes must make some.
  // A box still up from the step is answered first.
  void Check(const std::wstring& step, const std::vector<std::wstring>& documented) {
    AnswerStrayBoxes(step);
    PrefixSnapshot after = Picture();
    const std::vector<std::wstring> wine_own = WineOwn();
    int made = 0;
    for (const PrefixSnapshot::Change& change : after.ChangesSince(before_)) {
      const auto matches = [&](const std::wstring& pattern) {
        return MatchesPattern(change.name, pattern);
      };
      if (std::any_of(documented.begin(), documented.end(), matches)) {
        ++made;
        continue;
      }
      const bool wine = std::any_of(wine_own.begin(), wine_own.end(), matches);
      std::cout << Utf8(step) << ": " << (wine ? "Wine's own, " : "") << Utf8(change.kind) << " "
                << Utf8(change.name) << std::endl;
      EXPECT_TRUE(wine) << Utf8(step) << " " << Utf8(change.kind) << " " << Utf8(change.name)
                        << ", which it does not document";
    }
    std::cout << Utf8(step) << ": " << made << " documented changes" << std::endl;
    if (!documented.empty()) {
      EXPECT_GT(made, 0) << Utf8(step) << " changed nothing it documents";
    }
    before_ = std::move(after);
  }

  void StartStandIns(int count) {
    for (int i = 0; i < count; ++i) {
      auto started = StartProgram(Environment(L"KELVO_STANDIN_EXE"));
      ASSERT_TRUE(started) << "cannot start a stand-in";
      standins_.push_back(std::move(*started));
    }
    Sleep(kStatusSeesMaxMs);
  }

  // What Wine itself changes while programs run, whatever they do. Nothing of the program's own
  // may hide behind these.
  std::vector<std::wstring> WineOwn() const {
    return {
        // The display driver rewrites the graphics adapter's entries whenever a process opens
        // the display: a stand-in alone does it too.
        L"HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E968-E325-11CE-BFC1-"
        L"08002BE10318}\\0000\\[DriverDateData]",
        L"HKLM\\System\\CurrentControlSet\\Control\\Video\\*\\0000\\[DriverDateData]",
        // crypt32 makes the certificate stores, and copies the host's root certificates into
        // them, the first time a process asks for them: here WinHTTP, for the version check's
        // TLS handshake. On Windows these stores exist from the start.
        L"HKLM\\Software\\Microsoft\\SystemCertificates\\*",
        L"HKLM\\Software\\Wow6432Node\\Microsoft\\SystemCertificates\\*",
        user_hive_ + L"\\Software\\Microsoft\\SystemCertificates",
        user_hive_ + L"\\Software\\Microsoft\\SystemCertificates\\*",
        // conhost writes its default settings when the first console of the session opens:
        // here the hidden console of 假死救援's batch. On Windows the key is there from the start.
        user_hive_ + L"\\Console",
        user_hive_ + L"\\Console\\*",
        // user32 keeps the system parameters of the session (the X server's mouse settings)
        // here; the program sets no system parameter.
        user_hive_ + L"\\Software\\Wine\\Temporary System Parameters*",
    };
  }

  // Answers every message box that comes within the wait, with OK: some depend on the load of
  // the machine (the freeze guard's watch may end with one).
  void AnswerStrayBoxes(const std::wstring& step) {
    while (HWND box = WaitForMessageBox(program_.id(), kStatusSeesMaxMs)) {
      std::cout << Utf8(step) << ": message box " << Utf8(MessageBoxText(box)) << std::endl;
      PressMessageBoxButton(box, IDOK);
    }
  }

  // The operations that close 3ds Max end the stand-ins; the next step needs them gone and the
  // status monitor to have seen it.
  void ExpectStandInsEnded() {
    for (const Started& standin : standins_)
      EXPECT_EQ(WaitForSingleObject(standin.handle(), kBoxTimeoutMs), WAIT_OBJECT_0);
    standins_.clear();
    Sleep(kStatusSeesMaxMs);
  }

  ShellRecorder recorder_;  // 假死救援 must not end Wine's desktop
  PrefixSnapshot before_;
  std::vector<Started> standins_;
  const std::wstring user_hive_ = CurrentUserHive();
};

TEST_F(DocumentedChanges, EveryOperationChangesOnlyWhatItDocuments) {
  Sleep(2 * kStatusSeesMaxMs);
  Check(L"start-up with the version check and the first status ticks", {});

  Choose(MaxVersion::R2021);
  EXPECT_EQ(ClickAndAnswer(Control::按钮2).text, L"默认打开方式修改成功。");
  Check(L"默认打开", {L"HKLM\\SOFTWARE\\Classes\\3dsmax\\Shell\\Open\\Command\\[]"});

  std::vector<std::wstring> launch = Tree(L"C:\\Program Files (x86)\\Kelvo");
  for (MaxVersion release : AllReleases())
    launch.push_back(Wide(LaunchScriptFile(release)));
  ClickControl(window_, ControlId(Control::选择框1));
  Check(L"跟随MAX启动 ticked", launch);
  ClickControl(window_, ControlId(Control::选择框1));
  Check(L"跟随MAX启动 unticked", launch);

  Choose(MaxVersion::R2017);
  EXPECT_EQ(ClickAndAnswer(Control::按钮4).text, L"3DMAX重置完成！");
  Check(L"重置MAX", Tree(UserDir(MaxVersion::R2017)));

  StartStandIns(1);
  Check(L"a stand-in started", {});
  ClickControl(window_, ControlId(Control::按钮1));
  Check(L"强力唤醒", {});
  EXPECT_EQ(ClickAndAnswer(Control::按钮8).text, L"MAX进程优先级已调至最低。");
  ClickControl(window_, ControlId(Control::按钮8));
  Check(L"低优先级 twice", {});
  ClickControl(window_, ControlId(Control::选择框2));
  Sleep(2 * kStatusSeesMaxMs);
  ClickControl(window_, ControlId(Control::选择框2));
  Check(L"防止渲图死机 on and off", {});
  EXPECT_EQ(ClickAndAnswer(Control::按钮3).text, L"所有MAX窗口已关闭。");
  ExpectStandInsEnded();
  Check(L"快速关闭", {});

  StartStandIns(2);
  Check(L"two stand-ins started", {});
  Choose(MaxVersion::R2021);
  ClickAndAnswer(Control::按钮6, IDYES);
  EXPECT_EQ(Answer(IDOK).text, L"所有MAX已关闭");
  EXPECT_EQ(Answer(IDOK).text, L"操作完成");
  std::vector<std::wstring> startup_folders;
  for (const wchar_t* language : {L"CHS", L"ENU"}) {
    Append(startup_folders,
           Tree(UserDir(MaxVersion::R2021) + L"\\" + language + L"\\scripts\\startup"));
  }
  Append(startup_folders, Tree(Folder(InstallStartupDir(MaxVersion::R2021))));
  ExpectStandInsEnded();
  Check(L"MAX杀毒", startup_folders);

  EXPECT_EQ(ClickAndAnswer(Control::按钮7).text, L"清理完成");
  Check(L"卸载插件", Tree(Folder(InstallScriptsDir(MaxVersion::R2021))));

  Choose(MaxVersion::R2016);
  ClickAndAnswer(Control::按钮5, IDYES);
  EXPECT_EQ(Answer(IDOK).text, L"MAX残留清理完毕！");
  std::vector<std::wstring> remains = Tree(Folder(InstallDir(MaxVersion::R2016)));
  Append(remains, Tree(UserDir(MaxVersion::R2016)));
  Append(remains, Tree(user_hive_ + L"\\Software\\Autodesk\\3dsMax"));
  Append(remains, Tree(L"HKLM\\SOFTWARE\\Autodesk\\3dsMax"));
  for (const char* code : ProductCodes(MaxVersion::R2016))
    Append(remains, Tree(L"HKLM\\" + ProductKey(code)));
  Check(L"卸载清理", remains);

  ClickAndAnswer(Control::按钮9, IDYES);
  EXPECT_EQ(Answer(IDOK, kRescueTimeoutMs).text, L"未找到进程！");
  std::vector<std::wstring> rescue = Tree(user_hive_ + L"\\" + kTipKey);
  Append(rescue, Tree(user_hive_ + L"\\" + kTsfKey));
  // reg add makes the keys above the values where they are missing.
  for (const wchar_t* parent :
       {L"\\Software\\Microsoft\\CTF", L"\\Software\\Microsoft\\CTF\\TIP",
        L"\\Software\\Microsoft\\Input", L"\\Software\\Microsoft\\Input\\TSF",
        L"\\Software\\Microsoft\\Input\\TSF\\Tsf3Override"}) {
    rescue.push_back(user_hive_ + parent);
  }
  // The recorder that stands in for taskkill and explorer writes down how it was started.
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  rescue.push_back(std::wstring(temp) + L"kelvo-recorder.log");
  Check(L"假死救援", rescue);

  PostMessageW(window_, WM_CLOSE, 0, 0);
  Sleep(kStatusSeesMaxMs);
  PostTrayMessage(window_, kTrayLeftButtonUp);
  Sleep(kStatusSeesMaxMs);
  Check(L"closed to the tray and shown again", {});

  PostMessageW(window_, WM_CLOSE, 0, 0);
  Sleep(kStatusSeesMaxMs);
  PostTrayMessage(window_, kTrayRightButtonUp);
  const HWND menu = WaitForPopupMenu(program_.id(), kBoxTimeoutMs);
  ASSERT_NE(menu, nullptr) << "no tray menu";
  PressMenuKeys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(WaitForSingleObject(program_.handle(), kBoxTimeoutMs), WAIT_OBJECT_0);
  Check(L"关闭软件", {});
}

}  // namespace
}  // namespace kelvo::e2e
