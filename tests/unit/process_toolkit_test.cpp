// Finding processes by name, the wide name comparison, priorities, ending and processor masks.
#include "procctl/process_toolkit.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/version_catalogue.h"
#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using Ids = std::vector<ProcessId>;

constexpr ProcessId kMax = 5120;
constexpr ProcessId kSecondMax = 6088;
constexpr ProcessId kShell = 2044;
constexpr ProcessId kGone = 9999;
constexpr const char* kMaxExe = kMaxProcessName;

class ProcessToolkitTest : public ::testing::Test {
 protected:
  sim::SimulatedSystem sim;
  System& system = sim.system();
};

TEST_F(ProcessToolkitTest, SeveralMatchesComeInSnapshotOrder) {
  // The later-started process has the lower id: order is the snapshot's, not the ids'.
  sim.processes.Add(kSecondMax, kMaxExe);
  sim.processes.Add(kShell, "explorer.exe");
  sim.processes.Add(kMax, kMaxExe);

  EXPECT_EQ(FindProcessId(system, kMaxExe), kSecondMax);
  Ids ids;
  EXPECT_EQ(FindAllProcessIds(system, kMaxExe, ids), 2);
  EXPECT_EQ(ids, (Ids{kSecondMax, kMax}));
}

TEST_F(ProcessToolkitTest, NoMatchEmptiesAListFromAnEarlierCall) {
  sim.processes.Add(kMax, kMaxExe);
  Ids ids;
  ASSERT_EQ(FindAllProcessIds(system, kMaxExe, ids), 1);
  sim.processes.Remove(kMax);

  EXPECT_EQ(FindProcessId(system, kMaxExe), 0u);
  EXPECT_EQ(FindAllProcessIds(system, kMaxExe, ids), 0);
  EXPECT_TRUE(ids.empty());
}

TEST_F(ProcessToolkitTest, NoSnapshotFindsNothing) {
  sim.processes.Add(kMax, kMaxExe);
  sim.processes.FailSnapshots(true);
  Ids ids{kMax};

  EXPECT_EQ(FindProcessId(system, kMaxExe), 0u);
  EXPECT_EQ(FindAllProcessIds(system, kMaxExe, ids), -1);
  EXPECT_TRUE(ids.empty());
}

struct NameCase {
  const char* name;
  std::string listed;   // GBK, as the snapshot reports it
  std::u16string wide;  // the same name in UTF-16
  std::string wanted;   // GBK, as the caller asks
  bool case_sensitive;
  bool found;
  friend void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }
};

class ProcessNameTest : public ProcessToolkitTest,
                        public ::testing::WithParamInterface<NameCase> {};

TEST_P(ProcessNameTest, BothLookupsAgree) {
  const NameCase& c = GetParam();
  sim.processes.Add({kMax, 0, c.listed, c.wide});

  EXPECT_EQ(FindProcessId(system, c.wanted, c.case_sensitive), c.found ? kMax : 0);
  Ids ids;
  EXPECT_EQ(FindAllProcessIds(system, c.wanted, ids, c.case_sensitive), c.found ? 1 : 0);
  EXPECT_EQ(ids, c.found ? Ids{kMax} : Ids{});
}

INSTANTIATE_TEST_SUITE_P(
    ProcessToolkit, ProcessNameTest,
    ::testing::Values(
        NameCase{"SameName", kMaxExe, u"3dsmax.exe", kMaxExe, false, true},
        NameCase{"CapitalsWithoutCase", "3DSMAX.EXE", u"3DSMAX.EXE", kMaxExe, false, true},
        NameCase{"CapitalsWithCase", "3DSMAX.EXE", u"3DSMAX.EXE", kMaxExe, true, false},
        NameCase{"WholeNameOnly", kMaxExe, u"3dsmax.exe", "3dsmax", false, false},
        NameCase{"LongerListedName", "3dsmax.exe.bak", u"3dsmax.exe.bak", kMaxExe, false, false},
        // '[' and '{' are 32 apart but no letters.
        NameCase{"NonLettersExactly", "max[1].exe", u"max[1].exe", "max{1}.exe", false, false},
        NameCase{"ChineseNameAnyLetterCase", "渲染MAX.exe", u"渲染MAX.exe", "渲染max.EXE", false,
                 true},
        // 丄 is 81 41 and 乤 is 81 61 in GBK: their second bytes look like 'A' and 'a'.
        NameCase{"SecondByteIsNoLetter", "丄.exe", u"丄.exe", "乤.exe", false, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct CompareCase {
  const char* name;
  const char16_t* a;
  const char16_t* b;
  bool case_sensitive;
  int expected;
  friend void PrintTo(const CompareCase& c, std::ostream* out) { *out << c.name; }
};

class CompareWideNamesTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareWideNamesTest, Sign) {
  const CompareCase& c = GetParam();
  EXPECT_EQ(CompareWideNames(c.a, c.b, c.case_sensitive), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    ProcessToolkit, CompareWideNamesTest,
    ::testing::Values(CompareCase{"Equal", u"3dsmax.exe", u"3dsmax.exe", true, 0},
                      CompareCase{"LetterCaseIgnored", u"3DSMAX.EXE", u"3dsmax.exe", false, 0},
                      CompareCase{"CapitalsFirstWithCase", u"3DSMAX.EXE", u"3dsmax.exe", true, -1},
                      CompareCase{"SmallLettersLastWithCase", u"3dsmax.exe", u"3DSMAX.EXE", true,
                                  1},
                      // Only the first string's unit is checked for being a letter.
                      CompareCase{"LetterAgainstMark32Below", u"A", u"!", false, 0},
                      CompareCase{"MarkAgainstLetter32Above", u"!", u"A", false, -1},
                      CompareCase{"NonLetters32Apart", u"[", u"{", false, -1},
                      CompareCase{"Prefix", u"abc", u"abcd", false, -1},
                      CompareCase{"Extension", u"abcd", u"abc", false, 1},
                      CompareCase{"BothEmpty", u"", u"", false, 0},
                      CompareCase{"ChineseEqual", u"工具.exe", u"工具.exe", false, 0},
                      // Units are signed 16-bit numbers: U+8000 and above order below ASCII.
                      CompareCase{"HighUnitIsNegative", u"\u8000", u"a", false, -1},
                      CompareCase{"NullFirst", nullptr, u"3dsmax.exe", false, -1},
                      CompareCase{"NullSecond", u"3dsmax.exe", nullptr, false, 1},
                      CompareCase{"EmptyIsNotNull", u"", nullptr, false, 1},
                      CompareCase{"BothNull", nullptr, nullptr, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct PriorityCase {
  int kind;
  std::uint32_t priority_class;
};

class PriorityKindTest : public ProcessToolkitTest,
                         public ::testing::WithParamInterface<PriorityCase> {};

TEST_P(PriorityKindTest, KindSetsItsClass) {
  sim.processes.Add(kMax, kMaxExe);
  EXPECT_TRUE(SetProcessPriority(system, kMax, true, GetParam().kind));
  EXPECT_EQ(sim.processes.PriorityClass(kMax), GetParam().priority_class);
}

INSTANTIATE_TEST_SUITE_P(ProcessToolkit, PriorityKindTest,
                         ::testing::Values(PriorityCase{kPriorityHigh, 0x80},
                                           PriorityCase{kPriorityAboveNormal, 0x8000},
                                           PriorityCase{kPriorityRealtime, 0x100},
                                           PriorityCase{kPriorityNormal, 0x20},
                                           PriorityCase{kPriorityBelowNormal, 0x4000},
                                           PriorityCase{kPriorityIdle, 0x40}),
                         [](const auto& info) { return std::to_string(info.param.kind); });

TEST_F(ProcessToolkitTest, WithoutTheIdTheOwnProcessIsRaised) {
  sim.processes.Add(kMax, kMaxExe);
  for (const ProcessId id : {kMax, kGone, ProcessId{0}}) {
    ASSERT_TRUE(sim.processes.SetPriorityClass(0, sim::kNormalPriorityClass).ok());
    EXPECT_TRUE(SetProcessPriority(system, id, false)) << id;
    EXPECT_EQ(sim.processes.PriorityClass(sim::kOwnProcessId), 0x80u) << id;
  }
  EXPECT_EQ(sim.processes.PriorityClass(kMax), sim::kNormalPriorityClass);
}

TEST_F(ProcessToolkitTest, RefusedPriorityChangesNothing) {
  sim.processes.Add(kMax, kMaxExe);
  sim.processes.Add(600, "csrss.exe");
  sim.processes.DenyAccess(600);

  // An unknown kind goes to Windows as the class value itself, which refuses 7.
  EXPECT_EQ(PriorityClassOf(7), 7u);
  EXPECT_FALSE(SetProcessPriority(system, kMax, true, 7));
  EXPECT_FALSE(SetProcessPriority(system, kGone, true, kPriorityIdle));
  EXPECT_FALSE(SetProcessPriority(system, 600, true, kPriorityIdle));
  // Asked for by id, 0 is no process: the program's own priority stays.
  EXPECT_FALSE(SetProcessPriority(system, 0, true, kPriorityIdle));

  EXPECT_EQ(sim.processes.PriorityClass(kMax), sim::kNormalPriorityClass);
  EXPECT_EQ(sim.processes.PriorityClass(600), sim::kNormalPriorityClass);
  EXPECT_EQ(sim.processes.PriorityClass(sim::kOwnProcessId), sim::kNormalPriorityClass);
}

TEST_F(ProcessToolkitTest, Terminate) {
  sim.processes.Add(kMax, kMaxExe);
  sim.processes.Add(600, "csrss.exe");
  sim.processes.RefuseTermination(600);

  EXPECT_TRUE(TerminateProcessById(system, kMax));
  EXPECT_FALSE(sim.processes.IsRunning(kMax));
  EXPECT_EQ(sim.processes.ExitCode(kMax), 0u);
  // Already gone, or out of reach: false, and nothing else happens.
  EXPECT_FALSE(TerminateProcessById(system, kMax));
  EXPECT_FALSE(TerminateProcessById(system, 600));
  EXPECT_TRUE(sim.processes.IsRunning(600));
  EXPECT_TRUE(sim.dialogs.boxes().empty());
  // Id 0 is the program itself.
  EXPECT_TRUE(TerminateProcessById(system, 0));
  EXPECT_FALSE(sim.processes.IsRunning(sim::kOwnProcessId));
}

struct MaskCase {
  unsigned processors;
  int count;
  std::uint32_t mask;
};

class TopProcessorsMaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(TopProcessorsMaskTest, HighestNumberedProcessors) {
  EXPECT_EQ(TopProcessorsMask(GetParam().processors, GetParam().count), GetParam().mask);
}

INSTANTIATE_TEST_SUITE_P(
    ProcessToolkit, TopProcessorsMaskTest,
    ::testing::Values(MaskCase{8, 6, 0xFC}, MaskCase{8, 8, 0xFF}, MaskCase{4, 2, 0xC},
                      MaskCase{8, 0, 0}, MaskCase{8, -3, 0},
                      // Two processors less than one or two is nothing.
                      MaskCase{2, 0, 0}, MaskCase{1, -1, 0},
                      // More than there are is all of them.
                      MaskCase{4, 9, 0xF},
                      // A 32-bit mask names processors 0 to 31 only.
                      MaskCase{32, 1, 0x80000000}, MaskCase{64, 2, 0xC0000000}),
    [](const auto& info) {
      return std::to_string(info.param.processors) + "_" +
             (info.param.count < 0 ? "minus" + std::to_string(-info.param.count)
                                   : std::to_string(info.param.count));
    });

TEST_F(ProcessToolkitTest, AffinityToTopProcessors) {
  sim.processes.Add(kMax, kMaxExe);
  sim.system_info.SetProcessorCount(8);
  EXPECT_TRUE(SetAffinityToTopProcessors(system, kMax, 6));
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFCu);

  // On two processors, two less is none: Windows refuses the empty mask and the process keeps
  // what it had.
  sim.system_info.SetProcessorCount(2);
  EXPECT_FALSE(SetAffinityToTopProcessors(system, kMax, 0));
  EXPECT_EQ(sim.processes.AffinityMask(kMax), 0xFCu);
  // Without a process nothing is restrained, the program least of all.
  EXPECT_FALSE(SetAffinityToTopProcessors(system, 0, 1));
  EXPECT_EQ(sim.processes.AffinityMask(sim::kOwnProcessId), std::nullopt);
}

}  // namespace
}  // namespace kelvo
