// 假死救援 on the running program. The batch runs for real (cmd and reg of the Wine prefix); the
// shell restart is watched through a recorder put in the place of taskkill.exe and explorer.exe,
// because the real taskkill would end Wine's desktop with every test window on it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_files.h"
#include "tests/e2e/shell_recorder.h"
#include "tests/e2e/toolbox_fixture.h"

namespace kelvo::e2e {
namespace {

namespace fs = std::filesystem;

// The batch may take up to ten seconds, taskkill five more.
constexpr DWORD kRescueTimeoutMs = 30000;
constexpr wchar_t kTipKey[] =
    L"Software\\Microsoft\\CTF\\TIP\\{81D4E9C9-1D3B-41BC-9E6C-4B40BF79E35E}";
constexpr wchar_t kTsfKey[] =
    L"Software\\Microsoft\\Input\\TSF\\Tsf3Override\\{81d4e9c9-1d3b-41bc-9e6c-4b40bf79e35e}";

std::optional<DWORD> Dword(const wchar_t* key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

fs::path TempFolder() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return temp;
}

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), towlower);
  return text;
}

class ImeRescueEndToEnd : public RunningToolbox {
 protected:
  void SetUp() override {
    ASSERT_TRUE(recorder_.ok()) << "cannot put the recorder in place";
    RegDeleteTreeW(HKEY_CURRENT_USER, kTipKey);
    RegDeleteTreeW(HKEY_CURRENT_USER, kTsfKey);
    RunningToolbox::SetUp();
  }

  // Made before the toolbox starts and gone after it ends.
  ShellRecorder recorder_;
};

TEST_F(ImeRescueEndToEnd, NoLeavesTheSettingsAlone) {
  const Box question = ClickAndAnswer(Control::按钮9, IDNO);
  EXPECT_EQ(question.title, L"友情提示");
  EXPECT_EQ(WaitForMessageBox(program_.id(), 700), nullptr);
  EXPECT_EQ(Dword(kTipKey, L"DummyValue"), std::nullopt);
  EXPECT_TRUE(recorder_.Recorded().empty());
}

TEST_F(ImeRescueEndToEnd, YesSetsBothValuesThenRestartsTheShellThenWakes) {
  const Box question = ClickAndAnswer(Control::按钮9, IDYES);
  EXPECT_EQ(
      question.text,
      L"适用于WIN10以上系统MAX无法进行任何操作，且在任务管理器中没有出现未响应的情况，此项功能"
      L"会更改系统设置以永久修复此BUG。是否继续？");
  // With no 3ds Max the wake at the end says so: every step before it has run.
  const Box last = Answer(IDOK, kRescueTimeoutMs);
  EXPECT_EQ(last.title, L"错误");
  EXPECT_EQ(last.text, L"未找到进程！");

  EXPECT_EQ(Dword(kTipKey, L"DummyValue"), 1u);
  EXPECT_EQ(Dword(kTsfKey, L"NoTsf3Override2"), 1u);
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(TempFolder(), ignored)) {
    EXPECT_NE(entry.path().filename().wstring().rfind(L"KelvoMAX-", 0), 0u)
        << "left behind: " << entry.path();
  }
  const std::vector<std::wstring> recorded = recorder_.Recorded();
  ASSERT_EQ(recorded.size(), 2u);
  const std::wstring windows = Lower(recorder_.windows().wstring());
  EXPECT_EQ(
      recorded[0].rfind(windows + L"\\system32\\taskkill.exe|taskkill /im explorer.exe /f|", 0), 0u)
      << recorded[0];
  EXPECT_EQ(recorded[1].rfind(windows + L"\\explorer.exe|", 0), 0u) << recorded[1];
  EXPECT_TRUE(recorded[1].ends_with(L"|" + windows)) << recorded[1];
}

}  // namespace
}  // namespace kelvo::e2e
