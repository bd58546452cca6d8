// The simulated process table: snapshot order and the refusals of SetPriorityClass.
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

}  // namespace
}  // namespace kelvo::sim
