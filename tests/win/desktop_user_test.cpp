// Whose profile the per-user paths point into, resolved against the real desktop shell.
#include "model/desktop_user.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "model/version_catalogue.h"
#include "platform/win32/win32_system.h"
#include "procctl/process_toolkit.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

// Under Wine the terminal-session service always fails, so this is the token fallback at work.
TEST(DesktopUser, IsTheShellOwnerWhoseProfileFolderExists) {
  Win32System windows;
  System& system = windows.system();
  const ProcessId shell = FindProcessId(system, kDesktopShellName);
  ASSERT_NE(shell, 0u) << "no desktop shell runs";

  const std::string name = ResolveDesktopUserName(system, shell);

  ASSERT_FALSE(name.empty());
  EXPECT_EQ(name.find('\\'), std::string::npos) << "the domain must not be part of the name";
  const std::string profile = UserPath(name, "");
  const DWORD attributes = GetFileAttributesW(test::Wide(profile).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << profile;
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace
}  // namespace kelvo
