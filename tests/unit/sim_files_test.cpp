// The simulated disk: the refusals the file operations meet on Windows, which decide what a
// cleaning leaves behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/sim/sim_files.h"
#include "tests/unit/test_printing.h"

namespace kelvo::sim {
namespace {

using ::testing::ElementsAre;

constexpr char kStartup[] = R"(C:\Max\scripts\startup)";

struct FileCase {
  const char* name;
  std::function<OsResult(SimFiles&)> call;
  std::uint32_t error;  // 0 = success
  friend void PrintTo(const FileCase& c, std::ostream* out) { *out << c.name; }
};

class SimFilesRefusalTest : public ::testing::TestWithParam<FileCase> {
 protected:
  SimFilesRefusalTest() {
    files.AddFile(R"(C:\Max\scripts\startup\000.ms)", "guard", kAttributeReadOnly);
    files.AddFile(R"(C:\Max\scripts\startup\Open.ms)", "in use");
    files.HoldOpen(R"(C:\Max\scripts\startup\open.ms)");
    files.AddFile(R"(C:\Max\scripts\startup\hidden.ms)", "virus", kAttributeHidden);
    files.AddFile(R"(C:\Max\scripts\startup\plain.ms)", "plain");
    files.AddFolder(R"(C:\Max\empty)");
    files.AddFile(R"(C:\Locked\a.txt)", "a");
    files.DenyChangesUnder(R"(C:\Locked)");
  }

  // Every path with its content ("<folder>" for folders).
  std::map<std::string, std::string> Tree() const {
    std::map<std::string, std::string> tree;
    for (const std::string& path : files.Paths("C:\\")) {
      tree[path] = files.Content(path).value_or("<folder>");
    }
    return tree;
  }

  SimFiles files;
};

TEST_P(SimFilesRefusalTest, RefusedChangesLeaveTheTreeAsItWas) {
  const std::map<std::string, std::string> before = Tree();
  const OsResult result = GetParam().call(files);
  EXPECT_EQ(result.error, GetParam().error);
  if (!result.ok()) {
    EXPECT_EQ(Tree(), before);
  }
}

std::string In(const char* name) {
  return std::string(kStartup) + "\\" + name;
}

INSTANTIATE_TEST_SUITE_P(
    SimFiles, SimFilesRefusalTest,
    ::testing::Values(
        FileCase{"DeleteReadOnly", [](SimFiles& f) { return f.RemoveFile(In("000.ms")); }, 5},
        FileCase{"DeleteOpen", [](SimFiles& f) { return f.RemoveFile(In("OPEN.MS")); }, 32},
        FileCase{"DeleteHidden", [](SimFiles& f) { return f.RemoveFile(In("hidden.ms")); }, 0},
        FileCase{"DeleteMissingFile", [](SimFiles& f) { return f.RemoveFile(In("x.ms")); }, 2},
        FileCase{"DeleteInMissingFolder",
                 [](SimFiles& f) { return f.RemoveFile(R"(C:\Nope\x.ms)"); }, 3},
        FileCase{"DeleteFolderAsFile", [](SimFiles& f) { return f.RemoveFile(R"(C:\Max\empty)"); },
                 5},
        FileCase{"DeleteDenied", [](SimFiles& f) { return f.RemoveFile(R"(C:\Locked\a.txt)"); }, 5},
        FileCase{"WriteReadOnly", [](SimFiles& f) { return f.WriteBytes(In("000.ms"), "x"); }, 5},
        FileCase{"WriteOpen", [](SimFiles& f) { return f.WriteBytes(In("open.ms"), "x"); }, 32},
        FileCase{"WriteHidden", [](SimFiles& f) { return f.WriteBytes(In("hidden.ms"), "x"); }, 5},
        FileCase{"WriteInMissingFolder",
                 [](SimFiles& f) { return f.WriteBytes(R"(C:\Nope\x.ms)", "x"); }, 3},
        FileCase{"WriteDenied", [](SimFiles& f) { return f.WriteBytes(R"(C:\Locked\b.txt)", ""); },
                 5},
        FileCase{"RemoveFolderNotEmpty", [](SimFiles& f) { return f.RemoveFolder(kStartup); }, 145},
        FileCase{"RemoveFolderTrailingBackslash",
                 [](SimFiles& f) { return f.RemoveFolder(R"(C:\max\EMPTY\)"); }, 0},
        FileCase{"RemoveMissingFolder", [](SimFiles& f) { return f.RemoveFolder(R"(C:\Max\x)"); },
                 2},
        FileCase{"RemoveFileAsFolder", [](SimFiles& f) { return f.RemoveFolder(In("plain.ms")); },
                 267},
        FileCase{"RemoveDriveRoot", [](SimFiles& f) { return f.RemoveFolder("C:\\"); }, 5},
        FileCase{"MakeExistingFolder", [](SimFiles& f) { return f.MakeFolder(R"(C:\MAX\)"); }, 183},
        FileCase{"MakeWithoutParent", [](SimFiles& f) { return f.MakeFolder(R"(C:\A\B)"); }, 3},
        FileCase{"MakeDenied", [](SimFiles& f) { return f.MakeFolder(R"(C:\Locked\new)"); }, 5},
        FileCase{"CopyOntoItself",
                 [](SimFiles& f) { return f.CopyOver(In("plain.ms"), In("PLAIN.ms")); }, 32},
        FileCase{"CopyOntoReadOnly",
                 [](SimFiles& f) { return f.CopyOver(In("plain.ms"), In("000.ms")); }, 5},
        FileCase{"CopyOntoOpen",
                 [](SimFiles& f) { return f.CopyOver(In("plain.ms"), In("open.ms")); }, 32},
        FileCase{"CopyOntoHidden",
                 [](SimFiles& f) { return f.CopyOver(In("plain.ms"), In("hidden.ms")); }, 5},
        FileCase{"CopyFromMissing", [](SimFiles& f) { return f.CopyOver(In("x.ms"), In("y.ms")); },
                 2},
        FileCase{"AttributesOfAnOpenFile",
                 [](SimFiles& f) { return f.SetAttributes(In("open.ms"), kAttributeReadOnly); },
                 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SimFiles, NamesIgnoreCaseKeepTheirSpellingAndListInNtfsOrder) {
  SimFiles files;
  for (const char* name : {"b.ms", "A.ms", "_x.ms", "a1.ms", "Z.ms", ".hidden"}) {
    files.AddFile(std::string(R"(C:\Users\u1\)") + name);
  }
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(files.ListFolder(R"(c:\USERS\U1\)", entries).ok());
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : entries)
    names.push_back(entry.name);
  // Capital letters sort before '_'.
  EXPECT_THAT(names, ElementsAre(".hidden", "A.ms", "a1.ms", "b.ms", "Z.ms", "_x.ms"));

  EXPECT_EQ(files.ListFolder(R"(C:\Users\u2)", entries).error, kErrorPathNotFound);
  EXPECT_TRUE(entries.empty());
}

// In GBK the second byte of a character may be 0x5C (a backslash) or an ASCII letter.
TEST(SimFiles, DoubleByteCharactersAreNeitherSplitNorCaseFolded) {
  SimFiles files;
  files.AddFile("C:\\Dir\\\x95\x5C.ms");
  files.AddFile("C:\\Dir\\\x81\x61.ms");
  files.AddFile("C:\\Dir\\\x81\x41.ms");
  EXPECT_THAT(files.Paths("C:\\Dir"),
              ElementsAre("C:\\Dir\\\x81\x41.ms", "C:\\Dir\\\x81\x61.ms", "C:\\Dir\\\x95\x5C.ms"));
}

TEST(SimFiles, AttributesAsWindowsReportsThem) {
  SimFiles files;
  files.AddFile(R"(C:\a.ms)", "", kAttributeHidden | kAttributeArchive);
  ASSERT_TRUE(files.SetAttributes(R"(C:\a.ms)", kAttributeReadOnly).ok());
  EXPECT_EQ(files.Attributes(R"(C:\a.ms)"), kAttributeReadOnly);

  ASSERT_TRUE(files.SetAttributes(R"(C:\a.ms)", 0).ok());
  EXPECT_EQ(files.Attributes(R"(C:\a.ms)"), kAttributeNormal);

  ASSERT_TRUE(files.WriteBytes(R"(C:\new.ms)", "").ok());
  EXPECT_EQ(files.Attributes(R"(C:\new.ms)"), kAttributeArchive);
  EXPECT_EQ(files.Content(R"(C:\new.ms)"), "");

  files.AddFolder(R"(C:\dir)");
  EXPECT_EQ(files.Attributes(R"(C:\dir\)"), kAttributeDirectory);
  EXPECT_EQ(files.Attributes(R"(C:\missing)"), std::nullopt);
}

// A junction inside a tree that leads out of it: every path through the link reaches the
// target, so a deletion that descends into it destroys the target's files, and removing the
// link itself leaves them alone.
class SimFilesLinkTest : public ::testing::Test {
 protected:
  SimFilesLinkTest() {
    files.AddFile(R"(C:\Projects\scene.max)", "scene");
    files.AddFile(R"(C:\Projects\maps\brick.png)", "brick");
    files.AddFolder(R"(C:\Tree)");
    files.AddFolderLink(R"(C:\Tree\Projects)", R"(C:\Projects)");
    files.AddFileLink(R"(C:\Tree\scene.lnk)", R"(C:\Projects\scene.max)");
  }

  SimFiles files;
};

TEST_F(SimFilesLinkTest, ListsTheLinkAsAReparsePointAndItsPathAsTheTarget) {
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(files.ListFolder(R"(C:\Tree)", entries).ok());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "Projects");
  EXPECT_EQ(entries[0].attributes, kAttributeDirectory | kAttributeReparsePoint);
  EXPECT_EQ(entries[1].attributes, kAttributeReparsePoint);
  EXPECT_EQ(files.Attributes(R"(C:\Tree\projects\)"), kAttributeDirectory | kAttributeReparsePoint);

  ASSERT_TRUE(files.ListFolder(R"(C:\Tree\Projects)", entries).ok());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "maps");
  EXPECT_EQ(entries[1].name, "scene.max");
  std::string bytes;
  ASSERT_TRUE(files.ReadBytes(R"(C:\Tree\scene.lnk)", bytes).ok());
  EXPECT_EQ(bytes, "scene");
  // Links are listed, not followed.
  EXPECT_THAT(files.Paths(R"(C:\Tree)"),
              ElementsAre(R"(C:\Tree\Projects)", R"(C:\Tree\scene.lnk)"));
}

TEST_F(SimFilesLinkTest, ChangesThroughTheLinkReachTheTarget) {
  EXPECT_TRUE(files.RemoveFile(R"(C:\Tree\Projects\maps\brick.png)").ok());
  EXPECT_FALSE(files.Exists(R"(C:\Projects\maps\brick.png)"));
  EXPECT_TRUE(files.RemoveFolder(R"(C:\Tree\Projects\maps)").ok());
  EXPECT_FALSE(files.Exists(R"(C:\Projects\maps)"));
}

TEST_F(SimFilesLinkTest, RemovingALinkRemovesOnlyTheLink) {
  EXPECT_EQ(files.RemoveFile(R"(C:\Tree\Projects)").error, kErrorAccessDenied);
  EXPECT_EQ(files.RemoveFolder(R"(C:\Tree\scene.lnk)").error, kErrorDirectory);

  EXPECT_TRUE(files.RemoveFolder(R"(C:\Tree\Projects)").ok());
  EXPECT_TRUE(files.RemoveFile(R"(C:\Tree\scene.lnk)").ok());
  EXPECT_TRUE(files.RemoveFolder(R"(C:\Tree)").ok());
  EXPECT_THAT(files.Paths(R"(C:\Projects)"),
              ElementsAre(R"(C:\Projects\maps)", R"(C:\Projects\maps\brick.png)",
                          R"(C:\Projects\scene.max)"));
}

TEST_F(SimFilesLinkTest, ALinkThatLeadsNowhereCanStillBeRemoved) {
  files.AddFolderLink(R"(C:\Tree\Gone)", R"(C:\Gone)");
  files.AddFolderLink(R"(C:\Tree\Loop)", R"(C:\Tree\Loop)");
  std::vector<DirectoryEntry> entries;
  EXPECT_EQ(files.ListFolder(R"(C:\Tree\Gone)", entries).error, kErrorPathNotFound);
  EXPECT_EQ(files.ListFolder(R"(C:\Tree\Loop)", entries).error, kErrorPathNotFound);
  EXPECT_TRUE(files.RemoveFolder(R"(C:\Tree\Gone)").ok());
  EXPECT_TRUE(files.RemoveFolder(R"(C:\Tree\Loop)").ok());
}

}  // namespace
}  // namespace kelvo::sim
