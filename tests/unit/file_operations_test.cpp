// The file operations on the simulated disk: what a tree deletion removes, keeps and refuses.
#include "maintenance/file_operations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/sim/simulated_system.h"
#include "tests/unit/test_printing.h"

namespace kelvo {

void PrintTo(const FileFailure& failure, std::ostream* out) {
  *out << failure.path << " (" << failure.error << ")";
}

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class DeleteDirectoryTreeTest : public ::testing::Test {
 protected:
  // Operations other than reading that reached the disk.
  std::vector<std::string> Changes() const {
    std::vector<std::string> changes;
    for (const sim::FileCall& call : sim.files.calls()) {
      changes.push_back(call.operation + " " + call.path);
    }
    return changes;
  }

  sim::SimulatedSystem sim;
  System& system = sim.system();
};

TEST_F(DeleteDirectoryTreeTest, RemovesTheWholeTreeDepthFirstAndNothingBesideIt) {
  sim.files.AddFile(R"(C:\Work\Tree\.max_settings)", "dot file");
  sim.files.AddFile(R"(C:\Work\Tree\a\b\c.ms)");
  sim.files.AddFile(R"(C:\Work\Tree\a\hidden.ini)", "", kAttributeHidden | kAttributeSystem);
  sim.files.AddFolder(R"(C:\Work\Tree\empty)");
  sim.files.AddFile(R"(C:\Work\TreeMore\keep.ms)");
  sim.files.AddFile(R"(C:\Work\Other\keep.ms)");

  const DeletionReport report = DeleteDirectoryTree(system, R"(C:\Work\Tree)");

  EXPECT_TRUE(report.existed);
  EXPECT_TRUE(report.removed);
  EXPECT_TRUE(report.Complete());
  EXPECT_THAT(sim.files.Paths(R"(C:\Work)"),
              ElementsAre(R"(C:\Work\Other)", R"(C:\Work\Other\keep.ms)", R"(C:\Work\TreeMore)",
                          R"(C:\Work\TreeMore\keep.ms)"));
  // A folder goes only after everything below it, and attributes are never touched.
  const std::vector<sim::FileCall>& calls = sim.files.calls();
  ASSERT_FALSE(calls.empty());
  for (std::size_t i = 0; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].operation, "Delete");
    for (std::size_t later = i + 1; later < calls.size(); ++later) {
      EXPECT_FALSE(calls[later].path.starts_with(calls[i].path + "\\"))
          << calls[later].path << " after " << calls[i].path;
    }
  }
}

TEST_F(DeleteDirectoryTreeTest, ReadOnlyFileTwoLevelsDownStaysWithTheFoldersAboveIt) {
  sim.files.AddFile(R"(C:\T\a\b\guard.ms)", "guard", kAttributeReadOnly);
  sim.files.AddFile(R"(C:\T\a\b\other.ms)");
  sim.files.AddFile(R"(C:\T\a\beside.ms)");
  sim.files.AddFile(R"(C:\T\c\d.ms)");
  sim.files.AddFile(R"(C:\T\top.ms)");

  const DeletionReport report = DeleteDirectoryTree(system, R"(C:\T)");

  EXPECT_THAT(sim.files.Paths(R"(C:\T)"),
              ElementsAre(R"(C:\T\a)", R"(C:\T\a\b)", R"(C:\T\a\b\guard.ms)"));
  EXPECT_EQ(sim.files.Content(R"(C:\T\a\b\guard.ms)"), "guard");
  EXPECT_EQ(sim.files.Attributes(R"(C:\T\a\b\guard.ms)"), kAttributeReadOnly);
  EXPECT_THAT(report.kept_read_only, ElementsAre(R"(C:\T\a\b\guard.ms)"));
  EXPECT_THAT(report.failed, IsEmpty());
  EXPECT_TRUE(report.existed);
  EXPECT_FALSE(report.removed);
  EXPECT_FALSE(report.Complete());
}

TEST_F(DeleteDirectoryTreeTest, RefusedDeletionsAreReportedWithTheirErrors) {
  sim.files.AddFile(R"(C:\T\open.log)", "in use");
  sim.files.HoldOpen(R"(C:\T\open.log)");
  sim.files.AddFile(R"(C:\T\locked\a.txt)");
  sim.files.DenyChangesUnder(R"(C:\T\locked)");
  sim.files.AddFile(R"(C:\T\free\b.txt)");
  // A folder another program holds open is still emptied; only the folder itself stays.
  sim.files.AddFile(R"(C:\T\busy\c.txt)");
  sim.files.HoldOpen(R"(C:\T\busy)");

  const DeletionReport report = DeleteDirectoryTree(system, R"(C:\T)");

  EXPECT_THAT(report.failed, ElementsAre(FileFailure{R"(C:\T\busy)", kErrorSharingViolation},
                                         FileFailure{R"(C:\T\locked\a.txt)", kErrorAccessDenied},
                                         FileFailure{R"(C:\T\open.log)", kErrorSharingViolation}));
  EXPECT_THAT(sim.files.Paths(R"(C:\T)"), ElementsAre(R"(C:\T\busy)", R"(C:\T\locked)",
                                                      R"(C:\T\locked\a.txt)", R"(C:\T\open.log)"));
  EXPECT_FALSE(report.removed);
  EXPECT_FALSE(report.Complete());
}

TEST_F(DeleteDirectoryTreeTest, LinksGoAsLinksAndWhatTheyLeadToSurvives) {
  sim.files.AddFile(R"(C:\Outside\keep.ms)", "outside");
  sim.files.AddFile(R"(C:\Outside\deeper\keep.ini)", "outside");
  sim.files.AddFolderLink(R"(C:\T\sub\junction)", R"(C:\Outside)");
  sim.files.AddFileLink(R"(C:\T\file link.ms)", R"(C:\Outside\keep.ms)");
  sim.files.AddFolderLink(R"(C:\Users\u1\AppData\Local\Autodesk\linked)", R"(C:\Outside)");

  const DeletionReport tree = DeleteDirectoryTree(system, R"(C:\T)");
  // A link given as the folder itself goes as a link too.
  const DeletionReport link =
      DeleteDirectoryTree(system, R"(C:\Users\u1\AppData\Local\Autodesk\linked\)");

  EXPECT_TRUE(tree.removed);
  EXPECT_TRUE(tree.Complete());
  EXPECT_TRUE(link.removed);
  EXPECT_FALSE(sim.files.Exists(R"(C:\T)"));
  EXPECT_FALSE(sim.files.Exists(R"(C:\Users\u1\AppData\Local\Autodesk\linked)"));
  EXPECT_THAT(sim.files.Paths(R"(C:\Outside)"),
              ElementsAre(R"(C:\Outside\deeper)", R"(C:\Outside\deeper\keep.ini)",
                          R"(C:\Outside\keep.ms)"));
  EXPECT_EQ(sim.files.Content(R"(C:\Outside\keep.ms)"), "outside");
}

// A system that goes through a link even when asked to open the link itself (Wine 8): what
// the handle holds is not what the listing showed, so the entry is left alone and reported.
TEST_F(DeleteDirectoryTreeTest, WhereOpeningGoesThroughLinksTheyAreLeftAndReported) {
  sim.files.FollowLinksWhenOpening(true);
  sim.files.AddFile(R"(C:\Outside\keep.ms)", "outside");
  sim.files.AddFolder(R"(C:\Outside\empty)");
  sim.files.AddFile(R"(C:\T\a\b.ms)");
  sim.files.AddFolderLink(R"(C:\T\a\full)", R"(C:\Outside)");
  sim.files.AddFolderLink(R"(C:\T\a\empty)", R"(C:\Outside\empty)");
  sim.files.AddFolderLink(R"(C:\T\loop)", R"(C:\T)");
  sim.files.AddFolderLink(R"(C:\Linked)", R"(C:\Outside)");
  const std::vector<std::string> outside = sim.files.Paths(R"(C:\Outside)");

  const DeletionReport tree = DeleteDirectoryTree(system, R"(C:\T)");
  const DeletionReport link = DeleteDirectoryTree(system, R"(C:\Linked)");

  EXPECT_THAT(tree.failed, ElementsAre(FileFailure{R"(C:\T\a\empty)", kErrorNotSupported},
                                       FileFailure{R"(C:\T\a\full)", kErrorNotSupported},
                                       FileFailure{R"(C:\T\loop)", kErrorNotSupported}));
  EXPECT_THAT(tree.kept_read_only, IsEmpty());
  EXPECT_THAT(link.failed, ElementsAre(FileFailure{R"(C:\Linked)", kErrorNotSupported}));
  EXPECT_THAT(Changes(), ElementsAre(R"(Delete C:\T\a\b.ms)"));
  EXPECT_EQ(sim.files.Paths(R"(C:\Outside)"), outside);
  EXPECT_EQ(sim.files.Content(R"(C:\Outside\keep.ms)"), "outside");
}

// Another program swaps the folder C:\T\a for a junction to C:\Outside at one moment of the
// deletion, keeping the real folder as C:\T\a.moved. Whatever the moment, nothing outside the
// tree is reached and the report names what stayed.
struct SwapCase {
  const char* name;
  bool follow_links;        // the system goes through links when opening (Wine 8)
  const char* moment;       // the port call on C:\T\a just before which the swap happens
  bool moved_folder_stays;  // the real folder was swapped out before it was opened
  std::vector<FileFailure> failed;
};

class FolderSwappedForAJunction : public ::testing::TestWithParam<SwapCase> {};

TEST_P(FolderSwappedForAJunction, NothingOutsideTheTreeIsReached) {
  const SwapCase& c = GetParam();
  sim::SimulatedSystem sim;
  sim.files.FollowLinksWhenOpening(c.follow_links);
  sim.files.AddFile(R"(C:\Outside\keep.ms)", "outside");
  sim.files.AddFile(R"(C:\Outside\deeper\keep.ini)", "outside too");
  sim.files.AddFile(R"(C:\T\a\b.ms)");
  sim.files.AddFile(R"(C:\T\a\deep\c.ms)");
  sim.files.AddFile(R"(C:\T\z.ms)");
  const std::vector<std::string> outside = sim.files.Paths(R"(C:\Outside)");
  bool swapped = false;
  sim.files.InterruptBefore([&](const std::string& operation, const std::string& path) {
    if (swapped || operation != c.moment || path != R"(C:\T\a)") return;
    swapped = true;
    sim.files.Rename(R"(C:\T\a)", "a.moved");
    sim.files.AddFolderLink(R"(C:\T\a)", R"(C:\Outside)");
  });

  const DeletionReport report = DeleteDirectoryTree(sim.system(), R"(C:\T)");

  ASSERT_TRUE(swapped);
  EXPECT_EQ(sim.files.Paths(R"(C:\Outside)"), outside);
  EXPECT_EQ(sim.files.Content(R"(C:\Outside\keep.ms)"), "outside");
  EXPECT_EQ(sim.files.Content(R"(C:\Outside\deeper\keep.ini)"), "outside too");
  for (const sim::FileCall& call : sim.files.calls()) {
    EXPECT_TRUE(call.path.starts_with(R"(C:\T\)") || call.path == R"(C:\T)") << call.path;
  }
  EXPECT_EQ(report.failed, c.failed);
  EXPECT_THAT(report.kept_read_only, IsEmpty());
  EXPECT_FALSE(report.removed);
  EXPECT_FALSE(sim.files.Exists(R"(C:\T\z.ms)"));
  EXPECT_EQ(sim.files.Exists(R"(C:\T\a.moved\deep\c.ms)"), c.moved_folder_stays);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, FolderSwappedForAJunction,
    ::testing::Values(
        // Opened as the link itself: removed as a link; the real folder, never listed, stays.
        SwapCase{"BeforeOpening", false, "Open", true, {{R"(C:\T)", kErrorDirNotEmpty}}},
        // The handle holds the real folder: it is emptied and removed under its new name, and
        // the junction that took its place was never listed.
        SwapCase{"BeforeListing", false, "List", false, {{R"(C:\T)", kErrorDirNotEmpty}}},
        SwapCase{"BeforeDeleting", false, "Delete", false, {{R"(C:\T)", kErrorDirNotEmpty}}},
        // Opening went through the junction: the handle is not the folder that was listed.
        SwapCase{"BeforeOpeningOnASystemThatFollows",
                 true,
                 "Open",
                 true,
                 {{R"(C:\T\a)", kErrorNotSupported}}},
        SwapCase{"BeforeListingOnASystemThatFollows",
                 true,
                 "List",
                 false,
                 {{R"(C:\T)", kErrorDirNotEmpty}}},
        SwapCase{"BeforeDeletingOnASystemThatFollows",
                 true,
                 "Delete",
                 false,
                 {{R"(C:\T)", kErrorDirNotEmpty}}}),
    [](const ::testing::TestParamInfo<SwapCase>& info) { return std::string(info.param.name); });

TEST_F(DeleteDirectoryTreeTest, RootsAreRefusedWithoutTouchingAnything) {
  sim.files.AddFile(R"(C:\marker.txt)", "stays");
  sim.files.AddFile(R"(C:\Windows\system.ini)");
  const std::vector<std::string> before = sim.files.Paths("C:\\");
  for (const char* path :
       {"", "   ", "C:", "C:\\", "c:\\", "C:/", "  C:\\", "  C:", "C:\\\\", "\\", ".", "C:\\.",
        "C:\\Windows\\..", "C:\\ ", "C:\\...", "\\\\?\\C:\\", "\\\\server\\share\\"}) {
    const DeletionReport report = DeleteDirectoryTree(system, path);
    EXPECT_TRUE(report.refused) << '"' << path << '"';
    EXPECT_FALSE(report.removed) << '"' << path << '"';
    EXPECT_FALSE(report.Complete()) << '"' << path << '"';
  }
  EXPECT_THAT(Changes(), IsEmpty());
  EXPECT_EQ(sim.files.Paths("C:\\"), before);
}

TEST_F(DeleteDirectoryTreeTest, TrailingBackslashAndLeadingSpacesAreAccepted) {
  // The last name ends in a double-byte character whose second byte is 0x5C.
  const std::string folder = "C:\\D\\\x95\x5C";
  for (const std::string& spelling : {folder + "\\", "  " + folder, folder}) {
    sim.files.AddFile(folder + "\\f.ms");
    const DeletionReport report = DeleteDirectoryTree(system, spelling);
    EXPECT_TRUE(report.removed) << spelling;
    EXPECT_FALSE(sim.files.Exists(folder)) << spelling;
  }
  EXPECT_TRUE(sim.files.Exists("C:\\D"));
}

TEST_F(DeleteDirectoryTreeTest, AMissingFolderIsNoFailureAndAFileIsNotAFolder) {
  const DeletionReport missing = DeleteDirectoryTree(system, R"(C:\Users\u1\AppData\none)");
  EXPECT_FALSE(missing.existed);
  EXPECT_FALSE(missing.removed);
  EXPECT_TRUE(missing.Complete());

  sim.files.AddFile(R"(C:\T\plain.txt)", "text");
  const DeletionReport file = DeleteDirectoryTree(system, R"(C:\T\plain.txt)");
  EXPECT_FALSE(file.removed);
  EXPECT_FALSE(file.Complete());
  EXPECT_EQ(sim.files.Content(R"(C:\T\plain.txt)"), "text");
  EXPECT_THAT(Changes(), IsEmpty());
}

TEST(FileOperations, SmallOperationsKeepTheWindowsRules) {
  sim::SimulatedSystem sim;
  System& system = sim.system();
  sim.files.AddFile(R"(C:\T\guard.ms)", "guard", kAttributeReadOnly);
  sim.files.AddFile(R"(C:\T\hidden.ms)", "h", kAttributeHidden | kAttributeSystem);

  EXPECT_EQ(WriteWholeFile(system, R"(C:\T\guard.ms)", "virus").error, kErrorAccessDenied);
  EXPECT_EQ(sim.files.Content(R"(C:\T\guard.ms)"), "guard");

  ASSERT_EQ(WriteWholeFile(system, R"(C:\T\new.ms)", "long content"), OsResult::Ok());
  ASSERT_EQ(WriteWholeFile(system, R"(C:\T\new.ms)", ""), OsResult::Ok());
  EXPECT_EQ(sim.files.Content(R"(C:\T\new.ms)"), "");

  ASSERT_EQ(SetReadOnly(system, R"(C:\T\hidden.ms)"), OsResult::Ok());
  EXPECT_EQ(sim.files.Attributes(R"(C:\T\hidden.ms)"), kAttributeReadOnly);

  EXPECT_EQ(CreateOneDirectory(system, R"(C:\T\no\deeper)").error, kErrorPathNotFound);
  EXPECT_EQ(CreateOneDirectory(system, R"(C:\T\one\)"), OsResult::Ok());
  EXPECT_TRUE(sim.files.IsFolder(R"(C:\T\one)"));
}

}  // namespace
}  // namespace kelvo
