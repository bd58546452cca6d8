// Win32FileSystem against Wine's file system: attributes, sharing and the refusals the
// maintenance operations rely on.
#include "platform/win32/win32_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/unique_handle.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

using test::TempFolder;
using test::Wide;

class FileSystemTest : public ::testing::Test {
 protected:
  void Write(const std::string& path, std::string_view bytes) {
    ASSERT_EQ(files_.WriteBytes(path, bytes), OsResult::Ok()) << path;
  }
  std::string Read(const std::string& path) {
    std::string bytes;
    EXPECT_EQ(files_.ReadBytes(path, bytes), OsResult::Ok()) << path;
    return bytes;
  }

  TempFolder folder_;
  Win32FileSystem files_;
};

TEST_F(FileSystemTest, WritesAndReadsBytesUnchanged) {
  const std::string path = folder_.Join("数据.bin");
  std::string binary = "line\r\n中文";
  binary += std::string("\0\xFF\x80", 3);
  const std::string large(300 * 1024, 'x');  // more than one read buffer
  for (const std::string& bytes : {binary, std::string(), large}) {
    Write(path, bytes);
    EXPECT_EQ(Read(path), bytes);
  }
  // Writing truncates what was there.
  Write(path, "long content");
  Write(path, "ab");
  EXPECT_EQ(Read(path), "ab");
}

TEST_F(FileSystemTest, MissingThingsAreReportedByTheirWindowsCodes) {
  std::string bytes = "stale";
  EXPECT_EQ(files_.ReadBytes(folder_.Join("none.txt"), bytes).error, kErrorFileNotFound);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(files_.WriteBytes(folder_.Join("no\\such.txt"), "x").error, kErrorPathNotFound);
  EXPECT_EQ(files_.Attributes(folder_.Join("none.txt")), std::nullopt);
  EXPECT_EQ(files_.RemoveFile(folder_.Join("none.txt")).error, kErrorFileNotFound);
}

TEST_F(FileSystemTest, ReadOnlyFileRefusesDeleteAndWrite) {
  const std::string path = folder_.Join("只读.ms");
  Write(path, "guard");
  ASSERT_EQ(files_.SetAttributes(path, kAttributeReadOnly), OsResult::Ok());
  EXPECT_EQ(files_.RemoveFile(path).error, kErrorAccessDenied);
  EXPECT_EQ(files_.WriteBytes(path, "virus").error, kErrorAccessDenied);
  EXPECT_EQ(Read(path), "guard");
}

TEST_F(FileSystemTest, SetAttributesSetsExactlyTheGivenBits) {
  const std::string path = folder_.Join("a.txt");
  Write(path, "x");
  // Wine reports the archive bit along with whatever was set (read-only reads back 0x21).
  const auto without_archive = [&] {
    return files_.Attributes(path).value_or(0) & ~kAttributeArchive;
  };
  ASSERT_EQ(files_.SetAttributes(path, kAttributeHidden | kAttributeSystem), OsResult::Ok());
  EXPECT_EQ(without_archive(), kAttributeHidden | kAttributeSystem);
  ASSERT_EQ(files_.SetAttributes(path, kAttributeReadOnly), OsResult::Ok());
  EXPECT_EQ(without_archive(), kAttributeReadOnly);
  EXPECT_EQ(files_.Attributes(folder_.path()).value_or(0) & kAttributeDirectory,
            kAttributeDirectory);
}

TEST_F(FileSystemTest, FileOpenedWithoutSharingRefusesEverything) {
  const std::string path = folder_.Join("in use.max");
  Write(path, "scene");
  UniqueHandle held(::CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  std::string bytes;
  EXPECT_EQ(files_.RemoveFile(path).error, kErrorSharingViolation);
  EXPECT_EQ(files_.WriteBytes(path, "x").error, kErrorSharingViolation);
  EXPECT_EQ(files_.ReadBytes(path, bytes).error, kErrorSharingViolation);
  held.reset();
  EXPECT_EQ(Read(path), "scene");
}

TEST_F(FileSystemTest, FoldersAreMadeOneLevelAndRemovedOnlyWhenEmpty) {
  const std::string outer = folder_.Join("外层");
  const std::string inner = outer + "\\内层";
  EXPECT_EQ(files_.MakeFolder(inner).error, kErrorPathNotFound);
  ASSERT_EQ(files_.MakeFolder(outer), OsResult::Ok());
  EXPECT_EQ(files_.MakeFolder(outer).error, kErrorAlreadyExists);
  ASSERT_EQ(files_.MakeFolder(inner + "\\"), OsResult::Ok());  // a trailing backslash is fine
  EXPECT_EQ(files_.RemoveFolder(outer).error, kErrorDirNotEmpty);
  EXPECT_EQ(files_.RemoveFolder(inner), OsResult::Ok());
  EXPECT_EQ(files_.RemoveFolder(outer), OsResult::Ok());
  EXPECT_EQ(files_.Attributes(outer), std::nullopt);
}

TEST_F(FileSystemTest, CopyOverReplacesTheDestinationButNotItself) {
  const std::string from = folder_.Join("源.ms");
  const std::string to = folder_.Join("目标.ms");
  Write(from, "new");
  Write(to, "old");
  EXPECT_EQ(files_.CopyOver(from, to), OsResult::Ok());
  EXPECT_EQ(Read(to), "new");
  EXPECT_FALSE(files_.CopyOver(from, from).ok());
  EXPECT_EQ(Read(from), "new");
  EXPECT_EQ(files_.CopyOver(folder_.Join("none"), to).error, kErrorFileNotFound);
}

TEST_F(FileSystemTest, ListFolderGivesEveryEntryButTheDotEntries) {
  Write(folder_.Join(".hidden.ms"), "");
  Write(folder_.Join("b.txt"), "");
  Write(folder_.Join("乗.ms"), "");  // ends in a 0x5C byte
  ASSERT_EQ(files_.MakeFolder(folder_.Join("子目录")), OsResult::Ok());

  for (const std::string& path : {folder_.path(), folder_.path() + "\\"}) {
    std::vector<DirectoryEntry> entries{{"stale", 0, 0, {}}};
    ASSERT_EQ(files_.ListFolder(path, entries), OsResult::Ok()) << path;
    std::vector<std::string> names;
    for (const auto& entry : entries) {
      names.push_back(entry.name);
      EXPECT_EQ(entry.attributes & kAttributeDirectory,
                entry.name == "子目录" ? kAttributeDirectory : 0u)
          << entry.name;
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.ms", "b.txt", "乗.ms", "子目录"}));
  }

  std::vector<DirectoryEntry> entries;
  EXPECT_EQ(files_.ListFolder(folder_.Join("missing"), entries).error, kErrorPathNotFound);
  EXPECT_TRUE(entries.empty());
}

TEST_F(FileSystemTest, ListFolderKeepsTheFileSystemsOrder) {
  for (const char* name : {"c", "a", "d", "b"})
    Write(folder_.Join(name), "");
  std::vector<std::wstring> expected;
  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(::FindFirstFileW((Wide(folder_.path()) + L"\\*.*").c_str(), &found));
  ASSERT_TRUE(search);
  do {
    if (std::wstring_view(found.cFileName) != L"." && std::wstring_view(found.cFileName) != L"..")
      expected.push_back(found.cFileName);
  } while (::FindNextFileW(search.get(), &found));

  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(files_.ListFolder(folder_.path(), entries), OsResult::Ok());
  std::vector<std::wstring> listed;
  for (const auto& entry : entries)
    listed.push_back(Wide(entry.name));
  EXPECT_EQ(listed, expected);
}

// Wine itself has no MAX_PATH limit; what this guards is the \\?\ form the adapter switches to
// for long paths on Windows, and that paths needing normalisation are left to Windows.
TEST_F(FileSystemTest, TreesDeeperThanMaxPathCanBeBuiltListedAndRemoved) {
  std::vector<std::string> levels;
  std::string path = folder_.path();
  while (path.size() < 2 * MAX_PATH) {  // GBK bytes; the wide path is shorter but still > 260
    path += "\\" + std::string(40, 'd') + "深层目录";
    ASSERT_EQ(files_.MakeFolder(path), OsResult::Ok()) << path.size();
    levels.push_back(path);
  }
  const std::string file = path + "\\" + std::string(30, 'f') + ".ms";
  ASSERT_GT(Wide(file).size(), static_cast<std::size_t>(MAX_PATH));
  Write(file, "deep");
  EXPECT_EQ(Read(file), "deep");
  const std::string last = levels.back().substr(levels.back().rfind('\\') + 1);
  for (const std::string& unusual : {path + "\\..\\" + last + "\\.", path + "/."}) {
    EXPECT_EQ(files_.Attributes(unusual).value_or(0) & kAttributeDirectory, kAttributeDirectory)
        << unusual;
  }
  ASSERT_EQ(files_.SetAttributes(file, kAttributeReadOnly), OsResult::Ok());
  EXPECT_EQ(files_.RemoveFile(file).error, kErrorAccessDenied);
  ASSERT_EQ(files_.SetAttributes(file, kAttributeNormal), OsResult::Ok());
  EXPECT_EQ(files_.CopyOver(file, file + ".bak"), OsResult::Ok());

  std::vector<DirectoryEntry> entries;
  ASSERT_EQ(files_.ListFolder(path + "\\", entries), OsResult::Ok());
  EXPECT_EQ(entries.size(), 2u);
  EXPECT_EQ(files_.RemoveFile(file), OsResult::Ok());
  EXPECT_EQ(files_.RemoveFile(file + ".bak"), OsResult::Ok());
  for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
    EXPECT_EQ(files_.RemoveFolder(*level), OsResult::Ok()) << level->size();
  }
  EXPECT_EQ(files_.Attributes(levels.front()), std::nullopt);
}

TEST_F(FileSystemTest, PathsThatWouldNameSomethingShorterAreRefused) {
  const std::string victim = folder_.Join("victim");
  Write(victim, "keep");
  const std::string truncated = victim + std::string("\0.tmp", 5);
  std::vector<DirectoryEntry> entries;
  std::string bytes;
  EXPECT_FALSE(files_.RemoveFile(truncated).ok());
  EXPECT_FALSE(files_.WriteBytes(truncated, "x").ok());
  EXPECT_FALSE(files_.SetAttributes(truncated, kAttributeReadOnly).ok());
  EXPECT_FALSE(files_.CopyOver(folder_.Join("none"), truncated).ok());
  EXPECT_FALSE(files_.RemoveFolder(folder_.path() + std::string("\0x", 2)).ok());
  EXPECT_FALSE(files_.ListFolder("", entries).ok());
  EXPECT_TRUE(entries.empty());
  EXPECT_EQ(Read(victim), "keep");
  EXPECT_EQ(files_.Attributes(victim).value_or(0) & kAttributeReadOnly, 0u);
}

}  // namespace
}  // namespace kelvo
