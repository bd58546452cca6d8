// Whose profile the per-user paths point into: the owner of the desktop shell, or nobody.
#include "model/desktop_user.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/version_catalogue.h"
#include "procctl/process_toolkit.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

constexpr ProcessId kShell = 2044;
constexpr ProcessId kSecondShell = 3312;
const Sid kUser1 = sim::LocalAccountSid(1001);
const Sid kUser2 = sim::LocalAccountSid(1002);
const Sid kAdministrator = sim::LocalAccountSid(500);

// user1 is signed in; the toolbox runs elevated as another administrator account.
class DesktopUserTest : public ::testing::Test {
 protected:
  DesktopUserTest() {
    sim.accounts.AddAccount(kUser1, "user1");
    sim.accounts.AddAccount(kUser2, "user2");
    sim.accounts.AddAccount(kAdministrator, "Administrator");
    sim.accounts.SetOwner(sim::kOwnProcessId, kAdministrator);
    sim.processes.Add(kShell, kDesktopShellName);
    sim.accounts.SetOwner(kShell, kUser1);
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
};

TEST_F(DesktopUserTest, SessionServiceNamesTheShellsOwner) {
  // The service answers only for the shell's own creation time; the token is out of reach, so
  // only the service can have named the owner.
  sim.accounts.SetCreationTime(kShell, 0x01DC'7AB2'0000'1234);
  sim.accounts.FailTokenOwner(kShell);

  EXPECT_EQ(ResolveDesktopUserName(system, kShell), "user1");
}

TEST_F(DesktopUserTest, FirstShellInSnapshotOrderIsTheDesktop) {
  sim.processes.Add(kSecondShell, "EXPLORER.EXE");
  sim.accounts.SetOwner(kSecondShell, kUser2);
  EXPECT_EQ(ResolveDesktopUserName(system, FindProcessId(system, kDesktopShellName)), "user1");

  sim.EndProcess(kShell);
  EXPECT_EQ(ResolveDesktopUserName(system, FindProcessId(system, kDesktopShellName)), "user2");
}

struct OwnerCase {
  const char* name;
  std::function<void(sim::SimulatedSystem&)> arrange;
  std::string expected;
  friend void PrintTo(const OwnerCase& c, std::ostream* out) { *out << c.name; }
};

class DesktopUserFallbackTest : public DesktopUserTest,
                                public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(DesktopUserFallbackTest, NameOrNothing) {
  GetParam().arrange(sim);
  EXPECT_EQ(ResolveDesktopUserName(system, kShell), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    DesktopUser, DesktopUserFallbackTest,
    ::testing::Values(
        // Under Wine the session service refuses every question; the token still knows.
        OwnerCase{"SessionServiceDown",
                  [](sim::SimulatedSystem& s) { s.accounts.StopSessionService(true); }, "user1"},
        OwnerCase{"SessionRefusesTheShell",
                  [](sim::SimulatedSystem& s) { s.accounts.FailSessionOwner(kShell); }, "user1"},
        OwnerCase{"SessionAndTokenFail",
                  [](sim::SimulatedSystem& s) {
                    s.accounts.StopSessionService(true);
                    s.accounts.FailTokenOwner(kShell);
                  },
                  ""},
        // The shell ended between finding its id and reading the process list.
        OwnerCase{"ShellGone", [](sim::SimulatedSystem& s) { s.EndProcess(kShell); }, ""},
        OwnerCase{"ProcessListUnreadable",
                  [](sim::SimulatedSystem& s) { s.accounts.FailProcessList(true); }, ""},
        OwnerCase{"OwnerHasNoName",
                  [](sim::SimulatedSystem& s) {
                    s.accounts.SetOwner(kShell, sim::LocalAccountSid(4242));
                  },
                  ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DesktopUserTest, NoShellIsNoUser) {
  // Id 0 is what the lookup answers when no shell runs; the idle process listed under it is
  // nobody's desktop.
  const Sid system_account = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  sim.accounts.AddAccount(system_account, "SYSTEM");
  sim.accounts.SetOwner(0, system_account);
  sim.EndProcess(kShell);

  EXPECT_EQ(ResolveDesktopUserName(system, FindProcessId(system, kDesktopShellName)), "");
}

TEST(UserPath, JoinsAsItIs) {
  const std::string suffix = UserDirSuffix(MaxVersion::R2014);
  EXPECT_EQ(UserPath("user1", suffix),
            "C:\\Users\\user1\\AppData\\Local\\Autodesk\\3dsMax\\2014 - 64bit");
  // No name leaves two backslashes after Users; nothing tidies them.
  EXPECT_EQ(UserPath("", suffix), "C:\\Users\\\\AppData\\Local\\Autodesk\\3dsMax\\2014 - 64bit");
}

}  // namespace
}  // namespace kelvo
