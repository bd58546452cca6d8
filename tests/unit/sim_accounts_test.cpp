// The simulated owners of processes, and how the simulated Windows ties processes, their
// windows and their owners together.
#include <gtest/gtest.h>

#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo::sim {
namespace {

constexpr ProcessId kShell = 2044;

class SimAccountsTest : public ::testing::Test {
 protected:
  SimAccountsTest() {
    sim.processes.Add(kShell, "explorer.exe");
    sim.accounts.SetOwner(kShell, user1);
    sim.accounts.AddAccount(user1, "user1");
  }

  Accounts& accounts() { return sim.system().accounts; }
  std::uint64_t Created() { return *accounts().ProcessCreationTime(kShell); }

  SimulatedSystem sim;
  const Sid user1 = LocalAccountSid(1001);
};

TEST_F(SimAccountsTest, TheOwnerIsKnownByTheSessionServiceAndTheToken) {
  EXPECT_EQ(accounts().SessionProcessOwner(kShell, Created()), user1);
  EXPECT_EQ(accounts().TokenProcessOwner(kShell), user1);
  EXPECT_EQ(accounts().AccountName(user1), "user1");
  EXPECT_EQ(accounts().AccountName(LocalAccountSid(1002)), std::nullopt);
  // Distinct processes start at distinct times.
  EXPECT_NE(accounts().ProcessCreationTime(kOwnProcessId), Created());
}

TEST_F(SimAccountsTest, TheSessionServiceChecksTheCreationTime) {
  sim.accounts.SetCreationTime(kShell, 0x01DC'0000'0000'0000);
  EXPECT_EQ(Created(), 0x01DC'0000'0000'0000u);
  EXPECT_EQ(accounts().SessionProcessOwner(kShell, Created() + 1), std::nullopt);
  EXPECT_EQ(accounts().SessionProcessOwner(kShell, Created()), user1);
}

TEST_F(SimAccountsTest, Failures) {
  sim.accounts.StopSessionService(true);
  EXPECT_EQ(accounts().SessionProcessOwner(kShell, Created()), std::nullopt);
  EXPECT_EQ(accounts().TokenProcessOwner(kShell), user1);
  sim.accounts.StopSessionService(false);

  sim.accounts.FailSessionOwner(kShell);
  sim.accounts.FailTokenOwner(kShell);
  EXPECT_EQ(accounts().SessionProcessOwner(kShell, Created()), std::nullopt);
  EXPECT_EQ(accounts().TokenProcessOwner(kShell), std::nullopt);

  sim.accounts.FailProcessList(true);
  EXPECT_EQ(accounts().ProcessCreationTime(kShell), std::nullopt);
  EXPECT_EQ(accounts().ProcessCreationTime(9999), std::nullopt);
}

// However a process ends, its windows and its owner go with it; a later process under the same
// id does not inherit them.
TEST_F(SimAccountsTest, AnEndedProcessTakesItsWindowsAndOwnerAlong) {
  const WindowHandle window = sim.windows.Add({.process = kShell, .class_name = "Shell_TrayWnd"});
  ASSERT_TRUE(sim.system().processes.Terminate(kShell, 1).ok());
  EXPECT_FALSE(sim.windows.Exists(window));
  EXPECT_EQ(accounts().ProcessCreationTime(kShell), std::nullopt);
  EXPECT_EQ(accounts().TokenProcessOwner(kShell), std::nullopt);

  sim.processes.Add(kShell, "explorer.exe");
  EXPECT_EQ(accounts().TokenProcessOwner(kShell), std::nullopt);
  EXPECT_TRUE(accounts().ProcessCreationTime(kShell).has_value());
}

TEST(SimulatedSystem, MachineFactsAndOwnPath) {
  SimulatedSystem sim;
  System& system = sim.system();
  EXPECT_EQ(system.system_info.ProcessorCount(), 8u);
  EXPECT_EQ(system.processes.OwnExecutablePath(), kDefaultOwnExecutablePath);
  sim.processes.SetOwnExecutablePath(R"(D:\tools\k.exe)");
  EXPECT_EQ(system.processes.OwnExecutablePath(), R"(D:\tools\k.exe)");

  // Masks may name only the processors the machine has.
  sim.system_info.SetProcessorCount(2);
  EXPECT_EQ(system.processes.SetAffinityMask(0, 0x4), OsResult::Failed(kErrorInvalidParameter));
  EXPECT_TRUE(system.processes.SetAffinityMask(0, 0x3).ok());
}

}  // namespace
}  // namespace kelvo::sim
