// The simulated process table: snapshot order, and the refusals of SetPriorityClass, Terminate
// and SetAffinityMask.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/sim/sim_processes.h"
#include "tests/unit/test_printing.h"

namespace kelvo::sim {
namespace {

TEST(SimProcesses, ASnapshotListsInOrderAndIgnoresLaterChanges) {
  SimProcesses processes;
  processes.Add(5120, "3dsmax.exe");
  processes.Add(2044, "explorer.exe");
  std::vector<ProcessId> seen;
  EXPECT_TRUE(processes.ForEachProcess([&](const ProcessEntry& entry) {
    seen.push_back(entry.id);
    if (entry.id == 5120) {
      EXPECT_EQ(entry.wide_name, u"3dsmax.exe");
      processes.Remove(2044);
    }
    return true;
  }));
  EXPECT_EQ(seen, (std::vector<ProcessId>{0, 4, kOwnProcessId, 5120, 2044}));

  processes.FailSnapshots(true);
  EXPECT_FALSE(processes.ForEachProcess([](const ProcessEntry&) { return true; }));
}

TEST(SimProcesses, PriorityClasses) {
  SimProcesses processes;
  processes.Add(5120, "3dsmax.exe");
  processes.Add(600, "csrss.exe");
  processes.DenyAccess(600);

  EXPECT_TRUE(processes.SetPriorityClass(0, 0x80).ok());
  EXPECT_EQ(processes.PriorityClass(kOwnProcessId), 0x80u);
  EXPECT_TRUE(processes.SetPriorityClass(5120, 0x40).ok());
  EXPECT_EQ(processes.PriorityClass(5120), 0x40u);

  EXPECT_EQ(processes.SetPriorityClass(5120, 7), OsResult::Failed(kErrorInvalidParameter));
  EXPECT_EQ(processes.SetPriorityClass(9999, 0x20), OsResult::Failed(kErrorInvalidParameter));
  EXPECT_EQ(processes.SetPriorityClass(600, 0x40), OsResult::Failed(kErrorAccessDenied));
  EXPECT_EQ(processes.PriorityClass(600), kNormalPriorityClass);
  EXPECT_EQ(processes.PriorityClass(9999), 0u);
}

TEST(SimProcesses, TerminateEndsTheProcessAndKeepsItsExitCode) {
  SimProcesses processes;
  processes.Add(5120, "3dsmax.exe");
  processes.Add(600, "csrss.exe");
  processes.Add(700, "lsass.exe");
  processes.DenyAccess(600);
  processes.RefuseTermination(700);
  std::vector<ProcessId> ended;
  processes.SetEndedHandler([&](ProcessId id) { ended.push_back(id); });

  EXPECT_TRUE(processes.Terminate(5120, 3).ok());
  EXPECT_EQ(processes.Terminate(5120, 0), OsResult::Failed(kErrorInvalidParameter));
  EXPECT_EQ(processes.Terminate(600, 0), OsResult::Failed(kErrorAccessDenied));
  EXPECT_EQ(processes.Terminate(700, 0), OsResult::Failed(kErrorAccessDenied));
  EXPECT_TRUE(processes.SetPriorityClass(700, 0x40).ok());  // only ending it is refused
  EXPECT_TRUE(processes.Terminate(0, 1).ok());

  EXPECT_EQ(processes.Ids(), (std::vector<ProcessId>{0, 4, 600, 700}));
  EXPECT_EQ(ended, (std::vector<ProcessId>{5120, kOwnProcessId}));
  EXPECT_EQ(processes.ExitCode(5120), 3u);
  EXPECT_EQ(processes.ExitCode(kOwnProcessId), 1u);
  EXPECT_EQ(processes.ExitCode(600), std::nullopt);

  processes.Add(5120, "3dsmax.exe");  // a new process under the old id
  EXPECT_EQ(processes.ExitCode(5120), std::nullopt);
}

TEST(SimProcesses, AffinityMasks) {
  SimProcesses processes;
  processes.Add(5120, "3dsmax.exe");
  processes.Add(600, "csrss.exe");
  processes.DenyAccess(600);
  processes.SetProcessorSource([] { return 4u; });

  EXPECT_EQ(processes.AffinityMask(5120), std::nullopt);
  EXPECT_TRUE(processes.SetAffinityMask(5120, 0xC).ok());
  EXPECT_EQ(processes.AffinityMask(5120), 0xCu);
  EXPECT_TRUE(processes.SetAffinityMask(0, 0x1).ok());
  EXPECT_EQ(processes.AffinityMask(kOwnProcessId), 0x1u);

  // Refusals leave the mask as it was.
  EXPECT_EQ(processes.SetAffinityMask(5120, 0), OsResult::Failed(kErrorInvalidParameter));
  EXPECT_EQ(processes.SetAffinityMask(5120, 0x1C), OsResult::Failed(kErrorInvalidParameter));
  EXPECT_EQ(processes.AffinityMask(5120), 0xCu);
  EXPECT_EQ(processes.SetAffinityMask(600, 0x1), OsResult::Failed(kErrorAccessDenied));
  EXPECT_EQ(processes.SetAffinityMask(9999, 0x1), OsResult::Failed(kErrorInvalidParameter));
}

}  // namespace
}  // namespace kelvo::sim
