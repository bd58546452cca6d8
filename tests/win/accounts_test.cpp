// Win32Accounts: creation times from the system's process list, the owners of processes and
// their account names, as the desktop user is found.
#include "platform/win32/win32_accounts.h"

#include <gtest/gtest.h>

#include "platform/win32/text_conversion.h"
#include "platform/win32/win32_processes.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

constexpr ProcessId kMissing = 0x7FFFFFF0;

std::uint64_t CreationTimeOf(HANDLE process) {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

ProcessId FirstProcessNamed(const wchar_t* name) {
  Win32Processes processes;
  ProcessId found = 0;
  processes.ForEachProcess([&](const ProcessEntry& entry) {
    if (::lstrcmpiW(reinterpret_cast<const wchar_t*>(entry.wide_name.c_str()), name) != 0) {
      return true;
    }
    found = entry.id;
    return false;
  });
  return found;
}

// The SID of a well-known account in Windows' bytes.
Sid WellKnownSid(WELL_KNOWN_SID_TYPE type) {
  Sid sid(SECURITY_MAX_SID_SIZE);
  DWORD size = static_cast<DWORD>(sid.size());
  if (!::CreateWellKnownSid(type, nullptr, sid.data(), &size)) return {};
  sid.resize(size);
  return sid;
}

TEST(Accounts, CreationTimeComesFromTheProcessList) {
  Win32Accounts accounts;
  const auto own = accounts.ProcessCreationTime(::GetCurrentProcessId());
  ASSERT_TRUE(own.has_value());
  EXPECT_EQ(*own, CreationTimeOf(::GetCurrentProcess()));
  EXPECT_EQ(accounts.ProcessCreationTime(kMissing), std::nullopt);
}

// The shell's owner is the account whose profile the per-user paths point into (under Wine run
// as root: "root", with C:\users\root).
TEST(Accounts, TheShellsTokenNamesTheAccountWithTheProfile) {
  const ProcessId shell = FirstProcessNamed(L"explorer.exe");
  ASSERT_NE(shell, 0u);
  Win32Accounts accounts;
  const auto owner = accounts.TokenProcessOwner(shell);
  ASSERT_TRUE(owner.has_value());
  EXPECT_EQ(accounts.TokenProcessOwner(::GetCurrentProcessId()), owner);  // one user runs both
  const auto name = accounts.AccountName(*owner);
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(name->find('\\'), std::string::npos) << *name;
  const std::wstring profile = L"C:\\Users\\" + test::Wide(*name);
  const DWORD attributes = ::GetFileAttributesW(profile.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << *name;
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

  EXPECT_EQ(accounts.TokenProcessOwner(kMissing), std::nullopt);
}

TEST(Accounts, SessionServiceAgreesWithTheTokenOrAnswersNothing) {
  const ProcessId shell = FirstProcessNamed(L"explorer.exe");
  ASSERT_NE(shell, 0u);
  Win32Accounts accounts;
  const auto created = accounts.ProcessCreationTime(shell);
  ASSERT_TRUE(created.has_value());
  const auto owner = accounts.SessionProcessOwner(shell, *created);
  if (test::UnderWine()) {
    // Wine's winsta.dll has the call, but it always fails.
    EXPECT_EQ(owner, std::nullopt);
  } else {
    EXPECT_EQ(owner, accounts.TokenProcessOwner(shell));
    EXPECT_EQ(accounts.SessionProcessOwner(shell, *created + 1), std::nullopt);
  }
}

TEST(Accounts, NamesComeWithoutTheDomain) {
  Win32Accounts accounts;
  // "NT AUTHORITY\SYSTEM" on Windows and under Wine.
  EXPECT_EQ(accounts.AccountName(WellKnownSid(WinLocalSystemSid)), "SYSTEM");

  Sid unknown = WellKnownSid(WinLocalSystemSid);
  unknown[1] = 0x7F;  // more sub-authorities than the bytes hold
  for (const Sid& bad : {Sid{}, Sid{1, 2, 3}, unknown}) {
    EXPECT_EQ(accounts.AccountName(bad), std::nullopt);
  }
}

}  // namespace
}  // namespace kelvo
