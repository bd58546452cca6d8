// The file operations and the registry guard over the Win32 adapter, against Wine: what a tree
// deletion keeps, refuses and reaches, and which registry view a deletion acts on.
#include "maintenance/file_operations.h"

#include <gtest/gtest.h>

#include <string>

#include "maintenance/uninstall_cleanup.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

using test::TempFolder;
using test::UniqueName;
using test::Wide;

class FileOperationsTest : public ::testing::Test {
 protected:
  void Write(const std::string& path, const std::string& bytes = "x",
             std::uint32_t attributes = 0) {
    ASSERT_EQ(WriteWholeFile(system_, path, bytes), OsResult::Ok()) << path;
    if (attributes != 0) {
      ASSERT_EQ(system_.files.SetAttributes(path, attributes), OsResult::Ok());
    }
  }
  void MakeFolders(std::initializer_list<std::string> paths) {
    for (const std::string& path : paths) {
      ASSERT_EQ(CreateOneDirectory(system_, path), OsResult::Ok()) << path;
    }
  }
  bool Exists(const std::string& path) { return system_.files.Attributes(path).has_value(); }
  std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(system_.files.ReadBytes(path, bytes), OsResult::Ok()) << path;
    return bytes;
  }

  TempFolder folder_;
  Win32System windows_;
  System& system_ = windows_.system();
};

TEST_F(FileOperationsTest, TreeDeletionKeepsAReadOnlyFileTwoLevelsDownWithItsFolders) {
  const std::string tree = folder_.Join("树");
  MakeFolders({tree, tree + "\\a", tree + "\\a\\b", tree + "\\c"});
  Write(tree + "\\a\\b\\vrdematcleanbeta.ms", "guard", kAttributeReadOnly);
  Write(tree + "\\a\\b\\other.ms");
  Write(tree + "\\a\\beside.ms");
  Write(tree + "\\c\\d.ms");
  Write(tree + "\\.dotfile");

  const DeletionReport report = DeleteDirectoryTree(system_, tree + "\\");

  EXPECT_FALSE(report.removed);
  EXPECT_EQ(report.kept_read_only, std::vector<std::string>{tree + "\\a\\b\\vrdematcleanbeta.ms"});
  EXPECT_TRUE(report.failed.empty());
  EXPECT_EQ(Read(tree + "\\a\\b\\vrdematcleanbeta.ms"), "guard");
  EXPECT_EQ(system_.files.Attributes(tree + "\\a\\b\\vrdematcleanbeta.ms").value_or(0) &
                kAttributeReadOnly,
            kAttributeReadOnly);
  for (const char* gone : {"\\a\\b\\other.ms", "\\a\\beside.ms", "\\c", "\\.dotfile"}) {
    EXPECT_FALSE(Exists(tree + gone)) << gone;
  }
}

TEST_F(FileOperationsTest, TreeDeletionRemovesDotFilesAndTheFolder) {
  const std::string tree = folder_.Join(".max");
  MakeFolders({tree, tree + "\\.config"});
  Write(tree + "\\.config\\.settings");
  Write(tree + "\\.ms");

  const DeletionReport report = DeleteDirectoryTree(system_, tree);

  EXPECT_TRUE(report.removed);
  EXPECT_TRUE(report.Complete());
  EXPECT_FALSE(Exists(tree));
}

// A link inside the tree leads out of it: the deletion must never reach what it leads to. Wine
// cannot remove a link without going through it, so there the link is reported and stays;
// Windows removes it as a link. Either way the outside folder keeps every file.
TEST_F(FileOperationsTest, ALinkToAFolderOutsideTheTreeIsNeverFollowed) {
  const std::string outside = folder_.Join("外面");
  const std::string tree = folder_.Join("树");
  MakeFolders({outside, outside + "\\sub", tree, tree + "\\a"});
  Write(outside + "\\keep.ms", "outside");
  Write(outside + "\\sub\\keep2.ms", "outside too");
  Write(tree + "\\a\\inside.ms");
  ASSERT_TRUE(test::MakeFolderLink(tree + "\\a\\link", outside));

  const DeletionReport report = DeleteDirectoryTree(system_, tree);

  EXPECT_EQ(Read(outside + "\\keep.ms"), "outside");
  EXPECT_EQ(Read(outside + "\\sub\\keep2.ms"), "outside too");
  EXPECT_FALSE(Exists(tree + "\\a\\inside.ms"));
  if (test::UnderWine()) {
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.failed[0].path, tree + "\\a\\link");
    EXPECT_FALSE(report.removed);
    test::RemoveLink(tree + "\\a\\link");
  } else {
    EXPECT_TRUE(report.removed);
    EXPECT_TRUE(report.Complete());
  }
}

TEST_F(FileOperationsTest, AFileHeldOpenIsReportedWithTheSharingViolation) {
  const std::string tree = folder_.Join("占用");
  MakeFolders({tree, tree + "\\sub"});
  const std::string open = tree + "\\sub\\3dsMax.ini";
  Write(open, "settings");
  Write(tree + "\\free.ms");
  UniqueHandle held(::CreateFileW(Wide(open).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  const DeletionReport report = DeleteDirectoryTree(system_, tree);

  ASSERT_EQ(report.failed.size(), 1u);
  EXPECT_EQ(report.failed[0].path, open);
  EXPECT_EQ(report.failed[0].error, kErrorSharingViolation);
  EXPECT_FALSE(report.removed);
  EXPECT_FALSE(Exists(tree + "\\free.ms"));
  held.reset();
  EXPECT_EQ(Read(open), "settings");
}

TEST_F(FileOperationsTest, DriveRootsAreRefusedAndNothingOnTheDriveIsTouched) {
  const std::string marker = "C:\\" + UniqueName("kelvo_root_marker") + ".txt";
  Write(marker, "stays");
  for (const char* root : {"C:", "C:\\", "  C:\\", "  C:", "c:/", "C:\\."}) {
    const DeletionReport report = DeleteDirectoryTree(system_, root);
    EXPECT_TRUE(report.refused) << '"' << root << '"';
  }
  EXPECT_EQ(Read(marker), "stays");
  EXPECT_EQ(DeleteOneFile(system_, marker), OsResult::Ok());
}

TEST_F(FileOperationsTest, TreesLongerThanMaxPathAreRemoved) {
  std::string path = folder_.Join("长");
  ASSERT_EQ(CreateOneDirectory(system_, path), OsResult::Ok());
  while (Wide(path).size() < 300) {
    path += "\\" + std::string(50, 'd') + "目录";
    ASSERT_EQ(CreateOneDirectory(system_, path), OsResult::Ok()) << path.size();
  }
  Write(path + "\\scene.max");
  ASSERT_GT(Wide(path + "\\scene.max").size(), 300u);

  const DeletionReport report = DeleteDirectoryTree(system_, folder_.Join("长"));

  EXPECT_TRUE(report.removed);
  EXPECT_TRUE(report.failed.empty());
  EXPECT_FALSE(Exists(folder_.Join("长")));
}

TEST_F(FileOperationsTest, WriteWholeFileLeavesAReadOnlyFileAsItWas) {
  const std::string guard = folder_.Join("000.ms");
  Write(guard, "guard", kAttributeReadOnly);

  EXPECT_EQ(WriteWholeFile(system_, guard, "virus").error, kErrorAccessDenied);

  EXPECT_EQ(Read(guard), "guard");
}

TEST_F(FileOperationsTest, SetReadOnlyMakesAHiddenFileVisibleAndReadOnly) {
  const std::string file = folder_.Join("隐藏.ms");
  Write(file, "x", kAttributeHidden | kAttributeSystem);

  ASSERT_EQ(SetReadOnly(system_, file), OsResult::Ok());

  // Wine may add the archive bit; hidden and system must be gone.
  EXPECT_EQ(system_.files.Attributes(file).value_or(0) &
                (kAttributeReadOnly | kAttributeHidden | kAttributeSystem),
            kAttributeReadOnly);
}

// Creates root\path in the given view with one value.
void CreateKey(HKEY root, const std::string& path, REGSAM view) {
  UniqueHKey key;
  ASSERT_EQ(::RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                              nullptr, key.put(), nullptr),
            ERROR_SUCCESS)
      << path;
  const wchar_t value[] = L"v";
  ASSERT_EQ(::RegSetValueExW(key.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                             sizeof(value)),
            ERROR_SUCCESS);
}

bool KeyExists(HKEY root, const std::string& path, REGSAM view) {
  UniqueHKey key;
  return ::RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

TEST(RegistryTreeDeletion, TheSixtyFourBitViewGoesAndItsWow6432NodeTwinStays) {
  const std::string name = UniqueName("KelvoTest3dsMax");
  const std::string key = "SOFTWARE\\" + name;
  CreateKey(HKEY_LOCAL_MACHINE, key + "\\18.0\\Plugins", KEY_WOW64_64KEY);
  CreateKey(HKEY_LOCAL_MACHINE, key + "\\18.0", KEY_WOW64_32KEY);
  Win32System windows;

  // With the trailing backslash, which is dropped.
  EXPECT_EQ(DeleteRegistryTree(windows.system(), RegistryRoot::LocalMachine, key + "\\"),
            OsResult::Ok());

  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, key + "\\18.0", KEY_WOW64_32KEY));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\WOW6432Node\\" + name, KEY_WOW64_64KEY));
  // A key that is not there answers "not found", which the cleanup does not count as a failure.
  EXPECT_EQ(DeleteRegistryTree(windows.system(), RegistryRoot::LocalMachine, key).error,
            kErrorFileNotFound);

  UniqueHKey software;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                            software.put()),
            ERROR_SUCCESS);
  EXPECT_EQ(::RegDeleteTreeW(software.get(), Wide(name).c_str()), ERROR_SUCCESS);
}

}  // namespace
}  // namespace kelvo
