// Win32FileSystem on links: a link is listed as a reparse point and removed as the link; what it
// leads to is never touched. Under Wine the links are Unix symbolic links, which Wine deletes
// through (RemoveDirectoryW removes an empty target folder), so there the adapter refuses to
// remove them. Wine 8 shows a Unix link to a file as the file itself, not as a reparse point:
// nothing can tell it from a file there, so the file link cases run on Windows only.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/win32_file_system.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

constexpr std::uint32_t kErrorNotSupported = 50;
constexpr std::uint32_t kErrorDirectory = 267;

class LinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(files_.MakeFolder(target_.Join("maps")).ok());
    ASSERT_TRUE(files_.WriteBytes(target_.Join("scene.max"), "scene").ok());
    ASSERT_TRUE(files_.MakeFolder(target_.Join("empty")).ok());
  }

  // What removing a link must answer: done on Windows, refused under Wine.
  static std::uint32_t LinkRemoval() { return test::UnderWine() ? kErrorNotSupported : 0; }

  void ExpectTargetIntact() {
    std::string bytes;
    EXPECT_EQ(files_.ReadBytes(target_.Join("scene.max"), bytes), OsResult::Ok());
    EXPECT_EQ(bytes, "scene");
    EXPECT_TRUE(files_.Attributes(target_.Join("maps")).has_value());
    EXPECT_TRUE(files_.Attributes(target_.Join("empty")).has_value());
  }
  void ExpectLinkGoneWhenRemoved(const std::string& link) {
    EXPECT_EQ(files_.Attributes(link).has_value(), LinkRemoval() != 0) << link;
  }

  test::TempFolder target_;
  test::TempFolder tree_;
  Win32FileSystem files_;
};

// A junction (a Unix symbolic link under Wine) to a full folder and one to an empty folder: the
// empty one is where deleting through the link would succeed and take the target with it.
class FolderLinksTest : public LinksTest {
 protected:
  void SetUp() override {
    LinksTest::SetUp();
    ASSERT_TRUE(test::MakeFolderLink(tree_.Join("full"), target_.path()));
    ASSERT_TRUE(test::MakeFolderLink(tree_.Join("空的"), target_.Join("empty")));
  }
};

TEST_F(FolderLinksTest, ListsLinksAsReparsePointsAndTheirPathsAsTheTargets) {
  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(files_.ListFolder(tree_.path(), entries), OsResult::Ok());
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "full");
  EXPECT_EQ(entries[1].name, "空的");
  for (const DirectoryEntry& entry : entries) {
    EXPECT_EQ(entry.attributes & (kAttributeDirectory | kAttributeReparsePoint),
              kAttributeDirectory | kAttributeReparsePoint)
        << entry.name;
  }
  EXPECT_EQ(files_.Attributes(tree_.Join("full")).value_or(0) & kAttributeReparsePoint,
            kAttributeReparsePoint);
  ASSERT_EQ(files_.ListFolder(tree_.Join("full"), entries), OsResult::Ok());
  EXPECT_EQ(entries.size(), 3u);
}

TEST_F(FolderLinksTest, RemovingAFolderLinkNeverReachesItsTarget) {
  EXPECT_EQ(files_.RemoveFolder(tree_.Join("full")).error, LinkRemoval());
  EXPECT_EQ(files_.RemoveFolder(tree_.Join("空的\\")).error, LinkRemoval());
  // DeleteFileW's refusal of a folder, for a folder link too.
  EXPECT_EQ(files_.RemoveFile(tree_.Join("full")).error,
            test::UnderWine() ? kErrorNotSupported : kErrorAccessDenied);
  ExpectTargetIntact();
  ExpectLinkGoneWhenRemoved(tree_.Join("full"));
  ExpectLinkGoneWhenRemoved(tree_.Join("空的"));
}

class FileLinksTest : public LinksTest {
 protected:
  void SetUp() override {
    LinksTest::SetUp();
    if (!test::MakeFileLink(tree_.Join("scene.lnk"), target_.Join("scene.max"))) {
      GTEST_SKIP() << "no right to create symbolic links";
    }
    const auto attributes = files_.Attributes(tree_.Join("scene.lnk"));
    if (!attributes || (*attributes & kAttributeReparsePoint) == 0) {
      GTEST_SKIP() << "a link to a file shows as the file itself (Wine 8)";
    }
  }
};

TEST_F(FileLinksTest, RemovingAFileLinkNeverReachesItsTarget) {
  EXPECT_EQ(files_.RemoveFolder(tree_.Join("scene.lnk")).error, kErrorDirectory);
  EXPECT_EQ(files_.RemoveFile(tree_.Join("scene.lnk")).error, LinkRemoval());
  ExpectTargetIntact();
  ExpectLinkGoneWhenRemoved(tree_.Join("scene.lnk"));
}

}  // namespace
}  // namespace kelvo
