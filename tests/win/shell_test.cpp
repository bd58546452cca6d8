// Win32Shell: starting programs and documents, and the system's folders.
#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "win_test_support.h"

namespace kelvo {
namespace {

bool WaitEnded(Shell& shell, StartedProcess process) {
  for (int i = 0; i < 500 && !shell.HasEnded(process); ++i)
    ::Sleep(20);
  return shell.HasEnded(process);
}

TEST(Shell, FoldersComeWithoutTrailingBackslash) {
  Win32Shell shell;
  const auto windows = shell.WindowsFolder();
  const auto system = shell.SystemFolder();
  const auto temp = shell.TempFolder();
  ASSERT_TRUE(windows && system && temp);
  EXPECT_EQ(*system, *windows + "\\system32") << *system;
  EXPECT_NE(temp->back(), '\\');
  EXPECT_TRUE(::GetFileAttributesW(test::Wide(*temp).c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Shell, RunHiddenHandsOverTheProcessUntilItEnds) {
  Win32Shell shell;
  StartedProcess process = 0;
  const std::string cmd = *shell.SystemFolder() + "\\cmd.exe";
  ASSERT_TRUE(shell.RunHidden(cmd, "cmd /c exit 3", &process).ok());
  ASSERT_NE(process, 0u);
  EXPECT_TRUE(WaitEnded(shell, process));
  DWORD code = 0;
  ::GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code);
  EXPECT_EQ(code, 3u);
  shell.Release(process);

  EXPECT_EQ(shell.RunHidden(*shell.SystemFolder() + "\\no-such-program.exe", "x", &process).error,
            static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(process, 0u);
}

// A batch opened through its file type runs in the command processor; a missing file is
// reported as not found.
TEST(Shell, OpenRunsABatchAndReportsAMissingFile) {
  Win32Shell shell;
  test::TempFolder folder;
  const std::string batch = folder.path() + "\\写入.bat";
  const std::string marker = folder.path() + "\\done.txt";
  // %~dp0 is the batch's own folder: the batch holds no bytes a code page could misread.
  std::ofstream(std::filesystem::path(test::Wide(batch)), std::ios::binary)
      << "@echo done> \"%~dp0done.txt\"";
  StartedProcess process = 0;
  ASSERT_TRUE(shell.Open("open", batch, "", "", kShowNormal, &process).ok());
  if (process != 0) {
    EXPECT_TRUE(WaitEnded(shell, process));
    shell.Release(process);
  }
  for (int i = 0;
       i < 250 && ::GetFileAttributesW(test::Wide(marker).c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
    ::Sleep(20);
  EXPECT_NE(::GetFileAttributesW(test::Wide(marker).c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_EQ(
      shell.Open("open", folder.path() + "\\missing.bat", "", "", kShowNormal, &process).error,
      static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace kelvo
