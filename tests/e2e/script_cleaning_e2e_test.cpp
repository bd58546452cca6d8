// MAX杀毒 and 卸载插件 on the running program, with stand-ins for 3ds Max, checked on the disk of
// the test's Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/e2e_files.h"
#include "tests/e2e/toolbox_fixture.h"

namespace kelvo::e2e {
namespace {

namespace fs = std::filesystem;

// Long enough for a status tick (one a second) to have seen the stand-ins.
constexpr DWORD kStatusSeesMaxMs = 1500;
constexpr DWORD kStandInTimeoutMs = 10000;

std::vector<std::wstring> Names(const fs::path& folder) {
  std::vector<std::wstring> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored))
    names.push_back(entry.path().filename().wstring());
  return names;
}

using ScriptCleaningEndToEnd = RunningToolbox;

TEST_F(ScriptCleaningEndToEnd, DisinfectionClosesBothStandInsAndLeavesOnlyTheGuards) {
  const fs::path user = UserDir(MaxVersion::R2021);
  const fs::path install = Wide(InstallDir(MaxVersion::R2021));
  const fs::path chs = user / L"CHS" / L"scripts" / L"startup";
  const fs::path enu = user / L"ENU" / L"scripts" / L"startup";
  const fs::path startup = install / L"scripts" / L"startup";
  MakeFile(chs / L"vrdematcleanbeta.ms", "virus");
  MakeFile(chs / L"病毒.ms", "virus");
  MakeFile(enu / L"a.mse", "virus");
  MakeFile(startup / L"sub" / L"b.ms", "virus");
  MakeFile(install / L"scripts" / L"other.ms", "keep");
  auto first = StartProgram(Environment(L"KELVO_STANDIN_EXE"));
  auto second = StartProgram(Environment(L"KELVO_STANDIN_EXE"));
  ASSERT_TRUE(first && second) << "cannot start the stand-ins";
  Sleep(kStatusSeesMaxMs);
  Choose(MaxVersion::R2021);

  const Box question = ClickAndAnswer(Control::按钮6, IDYES);
  EXPECT_EQ(question.title, L"信息：");
  EXPECT_EQ(
      question.text,
      L"注意！此功能为暴力杀毒，将直接关闭正在运行的MAX，清除所有MAX自启动脚本并且生成只读文件"
      L"以防止病毒创建，,是否继续？");
  EXPECT_EQ(Answer(IDOK).text, L"所有MAX已关闭");
  EXPECT_EQ(WaitForSingleObject(first->handle(), kStandInTimeoutMs), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(second->handle(), kStandInTimeoutMs), WAIT_OBJECT_0);
  const Box done = Answer(IDOK);
  EXPECT_EQ(done.text, L"操作完成");

  struct Guarded {
    fs::path folder;
    const wchar_t* guard;
  };
  for (const Guarded& g : {Guarded{chs, L"vrdematcleanbeta.ms"},
                           Guarded{enu, L"vrdematcleanbeta.ms"}, Guarded{startup, L"000.ms"}}) {
    EXPECT_EQ(Names(g.folder), (std::vector<std::wstring>{g.guard})) << g.folder;
    EXPECT_EQ(ReadFile(g.folder / g.guard), "000") << g.folder;
    // Wine reports every file as archived; the read-only bit is what keeps the guard.
    EXPECT_TRUE(GetFileAttributesW((g.folder / g.guard).c_str()) & FILE_ATTRIBUTE_READONLY)
        << g.folder;
  }
  EXPECT_EQ(ReadFile(install / L"scripts" / L"other.ms"), "keep");

  // A second run finds the guards in place and ends the same way; by then the status monitor
  // has seen the stand-ins go.
  MakeFile(chs / L"again.ms", "virus");
  Sleep(kStatusSeesMaxMs);
  ClickAndAnswer(Control::按钮6, IDYES);
  EXPECT_EQ(Answer(IDOK).text, L"未找到进程");
  EXPECT_EQ(Answer(IDOK).text, L"操作完成");
  EXPECT_EQ(Names(chs), (std::vector<std::wstring>{L"vrdematcleanbeta.ms"}));

  RemoveTree(user);
  RemoveTree(install);
}

TEST_F(ScriptCleaningEndToEnd, PluginRemovalWithoutMaxRemovesTheChosenScriptsFolder) {
  const fs::path install_2015 = Wide(InstallDir(MaxVersion::R2015));
  const fs::path install_2016 = Wide(InstallDir(MaxVersion::R2016));
  MakeFile(install_2015 / L"scripts" / L"plugin.ms");
  MakeFile(install_2015 / L"scripts" / L"startup" / L"plugin_start.ms");
  MakeFile(install_2015 / L"3dsmax.exe");
  MakeFile(install_2016 / L"scripts" / L"plugin.ms");
  Choose(MaxVersion::R2015);

  const Box done = ClickAndAnswer(Control::按钮7);
  EXPECT_EQ(done.title, L"信息：");
  EXPECT_EQ(done.text, L"清理完成");
  EXPECT_FALSE(fs::exists(install_2015 / L"scripts"));
  EXPECT_TRUE(fs::exists(install_2015 / L"3dsmax.exe"));
  EXPECT_TRUE(fs::exists(install_2016 / L"scripts" / L"plugin.ms"));

  RemoveTree(install_2015);
  RemoveTree(install_2016);
}

}  // namespace
}  // namespace kelvo::e2e
