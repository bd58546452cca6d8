// Win32Processes: the snapshot walk and priority classes.
#include "platform/win32/win32_processes.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

std::wstring OwnExeName() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring full(path, length);
  return full.substr(full.find_last_of(L"\\/") + 1);
}

TEST(Processes, SnapshotListsOwnProcessByName) {
  Win32Processes processes;
  const std::wstring own_name = OwnExeName();
  std::vector<ProcessEntry> found;
  int seen = 0;
  ASSERT_TRUE(processes.ForEachProcess([&](const ProcessEntry& entry) {
    ++seen;
    if (::lstrcmpiW(reinterpret_cast<const wchar_t*>(entry.wide_name.c_str()), own_name.c_str()) ==
        0) {
      found.push_back(entry);
    }
    return true;
  }));
  EXPECT_GT(seen, 1);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].id, processes.CurrentProcessId());
  EXPECT_EQ(found[0].id, ::GetCurrentProcessId());
  EXPECT_EQ(test::Wide(found[0].exe_name), own_name);
}

TEST(Processes, VisitorStopsTheWalk) {
  Win32Processes processes;
  int visited = 0;
  EXPECT_TRUE(processes.ForEachProcess([&](const ProcessEntry&) { return ++visited < 2; }));
  EXPECT_EQ(visited, 2);
}

// The walk reads the system's process list directly; it must tell the same ids, parents and names
// as a Toolhelp snapshot of the same moment (processes that start or end in between aside).
TEST(Processes, ListAgreesWithAToolhelpSnapshot) {
  std::map<DWORD, PROCESSENTRY32W> toolhelp;
  {
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    ASSERT_TRUE(snapshot);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
      toolhelp[entry.th32ProcessID] = entry;
    }
  }
  Win32Processes processes;
  int compared = 0;
  bool own_seen = false;
  ASSERT_TRUE(processes.ForEachProcess([&](const ProcessEntry& entry) {
    own_seen = own_seen || entry.id == ::GetCurrentProcessId();
    const auto same = toolhelp.find(entry.id);
    if (same == toolhelp.end()) return true;
    ++compared;
    EXPECT_EQ(entry.parent_id, same->second.th32ParentProcessID) << entry.id;
    EXPECT_EQ(reinterpret_cast<const wchar_t*>(entry.wide_name.c_str()),
              std::wstring(same->second.szExeFile))
        << entry.id;
    EXPECT_EQ(test::Wide(entry.exe_name), std::wstring(same->second.szExeFile)) << entry.id;
    return true;
  }));
  EXPECT_TRUE(own_seen);
  EXPECT_GE(compared + 2, static_cast<int>(toolhelp.size()));
}

// The list is kept between walks; a walk started from inside a visitor must not read into the
// list that the outer walk is still going through.
TEST(Processes, WalkInsideAWalkLeavesTheOuterListIntact) {
  Win32Processes processes;
  std::vector<ProcessId> outer, inner, again;
  ASSERT_TRUE(processes.ForEachProcess([&](const ProcessEntry& entry) {
    if (outer.empty()) {
      EXPECT_TRUE(processes.ForEachProcess([&](const ProcessEntry& e) {
        inner.push_back(e.id);
        return true;
      }));
    }
    outer.push_back(entry.id);
    return true;
  }));
  ASSERT_TRUE(processes.ForEachProcess([&](const ProcessEntry& entry) {
    again.push_back(entry.id);
    return true;
  }));
  EXPECT_GT(inner.size(), 1u);
  // Both walks list the test itself; a clobbered outer list would lose or repeat records.
  EXPECT_EQ(std::count(outer.begin(), outer.end(), ::GetCurrentProcessId()), 1);
  EXPECT_EQ(std::count(inner.begin(), inner.end(), ::GetCurrentProcessId()), 1);
  EXPECT_EQ(std::count(again.begin(), again.end(), ::GetCurrentProcessId()), 1);
}

TEST(Processes, OwnPriorityClassIsSetAndReadBack) {
  Win32Processes processes;
  const ProcessId own = processes.CurrentProcessId();
  struct Case {
    ProcessId id;  // 0 = own process without opening it
    std::uint32_t priority_class;
  };
  for (const Case& c : {Case{0, HIGH_PRIORITY_CLASS}, Case{own, IDLE_PRIORITY_CLASS},
                        Case{0, BELOW_NORMAL_PRIORITY_CLASS}, Case{own, HIGH_PRIORITY_CLASS}}) {
    EXPECT_EQ(processes.SetPriorityClass(c.id, c.priority_class), OsResult::Ok());
    EXPECT_EQ(processes.PriorityClass(0), c.priority_class);
    EXPECT_EQ(processes.PriorityClass(own), c.priority_class);
    EXPECT_EQ(::GetPriorityClass(::GetCurrentProcess()), c.priority_class);
  }
  // Windows refuses a value that is no priority class.
  EXPECT_EQ(processes.SetPriorityClass(0, 7).error, kErrorInvalidParameter);
  EXPECT_EQ(processes.SetPriorityClass(0, NORMAL_PRIORITY_CLASS), OsResult::Ok());
}

TEST(Processes, PriorityOfAMissingProcessFails) {
  Win32Processes processes;
  // Far above any id Wine or Windows hands out. (An id of a process that just ended is no good
  // here: its object lives on while anyone holds a handle, and Wine keeps one for a while.)
  const ProcessId missing = 0x7FFFFFF0;
  EXPECT_EQ(processes.SetPriorityClass(missing, HIGH_PRIORITY_CLASS).error, kErrorInvalidParameter);
  EXPECT_EQ(processes.PriorityClass(missing), 0u);
}

}  // namespace
}  // namespace kelvo
