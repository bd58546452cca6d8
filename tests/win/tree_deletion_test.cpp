// A tree deletion against a hostile tree: links out of the tree, a link back to the tree's own
// top, a read-only file deep down, a file held open, a path longer than MAX_PATH, names ending in
// a dot or a space, and 10,000 files. Nothing outside the tree may change, byte for byte, and the
// report must name exactly what stayed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "maintenance/file_operations.h"
#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"
#include "win_test_support.h"

namespace kelvo {

void PrintTo(const FileFailure& failure, std::ostream* out) {
  *out << failure.path << " (" << failure.error << ")";
}

namespace {

using test::TempFolder;
using test::Wide;

// Every file and folder below `folder` (links listed, never entered) with its attributes and,
// for a file, its content: what "unchanged byte for byte" compares.
void Snapshot(const std::wstring& folder, const std::wstring& relative,
              std::map<std::wstring, std::string>& out) {
  WIN32_FIND_DATAW found{};
  UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    const std::wstring path = folder + L"\\" + name;
    const std::wstring key = relative + L"\\" + name;
    std::string& value = out[key];
    value = std::to_string(found.dwFileAttributes) + ":";
    if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Snapshot(path, key, out);
      continue;
    }
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr) && read > 0) {
      value.append(buffer, read);
    }
  } while (::FindNextFileW(search.get(), &found));
}

std::map<std::wstring, std::string> Snapshot(const std::string& folder) {
  std::map<std::wstring, std::string> out;
  Snapshot(L"\\\\?\\" + Wide(folder), L"", out);
  return out;
}

// Paths below `folder` that are still there, links not entered, sorted.
std::vector<std::wstring> Remaining(const std::string& folder) {
  std::vector<std::wstring> paths;
  for (const auto& [path, value] : Snapshot(folder))
    paths.push_back(path);
  return paths;
}

std::vector<FileFailure> Sorted(std::vector<FileFailure> failures) {
  std::sort(failures.begin(), failures.end(),
            [](const FileFailure& a, const FileFailure& b) { return a.path < b.path; });
  return failures;
}

class HostileTreeTest : public ::testing::Test {
 protected:
  void Folder(const std::string& path) {
    ASSERT_EQ(CreateOneDirectory(system_, path), OsResult::Ok()) << path;
  }
  void File(const std::string& path, const std::string& bytes = "x") {
    ASSERT_EQ(WriteWholeFile(system_, path, bytes), OsResult::Ok()) << path;
  }
  // Names ending in a dot or a space exist only in the \\?\ form, which takes names as they are.
  void LiteralFile(const std::string& path) {
    UniqueHandle file(::CreateFileW((L"\\\\?\\" + Wide(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(file) << path << " " << ::GetLastError();
  }
  void LiteralFolder(const std::string& path) {
    ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + Wide(path)).c_str(), nullptr)) << path;
  }

  TempFolder scratch_;
  Win32System windows_;
  System& system_ = windows_.system();
};

TEST_F(HostileTreeTest, NothingOutsideChangesAndTheReportNamesWhatStayed) {
  const std::string outside = scratch_.Join("外面");
  const std::string tree = scratch_.Join("树");
  Folder(outside);
  Folder(outside + "\\empty");
  Folder(outside + "\\maps");
  File(outside + "\\scene.max", std::string(100000, 's'));
  File(outside + "\\maps\\brick.png", "png bytes");
  File(outside + "\\guard.ms", "guard");
  ASSERT_EQ(system_.files.SetAttributes(outside + "\\guard.ms", kAttributeReadOnly),
            OsResult::Ok());

  Folder(tree);
  // Links out of the tree, one to a folder that deleting through the link would remove whole.
  Folder(tree + "\\links");
  ASSERT_TRUE(test::MakeFolderLink(tree + "\\links\\out", outside));
  ASSERT_TRUE(test::MakeFolderLink(tree + "\\links\\empty", outside + "\\empty"));
  // A link to a file outside (on Windows only where this account may make symbolic links).
  const bool file_link = test::MakeFileLink(tree + "\\links\\scene.max", outside + "\\scene.max");
  // A loop: a walk that followed it would never end.
  ASSERT_TRUE(test::MakeFolderLink(tree + "\\links\\loop", tree));
  // A read-only file deep down.
  std::string deep = tree;
  for (const char* level : {"\\a", "\\b", "\\c", "\\d"}) {
    deep += level;
    Folder(deep);
  }
  const std::string guard = deep + "\\vrdematcleanbeta.ms";
  File(guard, "guard");
  ASSERT_EQ(system_.files.SetAttributes(guard, kAttributeReadOnly), OsResult::Ok());
  File(deep + "\\beside.ms");
  // A file held open without delete sharing.
  Folder(tree + "\\busy");
  const std::string held = tree + "\\busy\\3dsMax.ini";
  File(held, "settings");
  UniqueHandle holder(::CreateFileW(Wide(held).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  // A path over 260 characters.
  const std::string level = "\\" + std::string(40, 'd') + "目录";
  std::string long_path = tree + "\\long";
  Folder(long_path);
  while (Wide(long_path).size() < 300) {
    long_path += level;
    Folder(long_path);
  }
  File(long_path + "\\scene.max");
  // Names ending in a dot or a space.
  LiteralFile(tree + "\\dot.");
  LiteralFile(tree + "\\space ");
  LiteralFolder(tree + "\\folder.");
  LiteralFile(tree + "\\folder.\\inside ");
  // 10,000 files in 20 folders, made empty: under Wine, files just written through
  // WriteWholeFile take ten times as long to delete (DeleteFileW as much as we do).
  Folder(tree + "\\many");
  for (int folder = 0; folder < 20; ++folder) {
    const std::string sub = tree + "\\many\\" + std::to_string(folder);
    Folder(sub);
    for (int file = 0; file < 500; ++file)
      LiteralFile(sub + "\\" + std::to_string(file) + ".ms");
  }
  if (HasFatalFailure()) return;
  const auto before = Snapshot(outside);

  const test::Stopwatch watch;
  const DeletionReport report = DeleteDirectoryTree(system_, tree);
  const std::int64_t took = watch.ElapsedMs();
  std::printf("deleting the hostile tree took %lld ms\n", static_cast<long long>(took));

  EXPECT_EQ(Snapshot(outside), before);
  EXPECT_EQ(report.kept_read_only, std::vector<std::string>{guard});
  std::vector<FileFailure> failed{{held, kErrorSharingViolation}};
  std::vector<std::wstring> remaining;
  for (const char* folder : {"\\a", "\\a\\b", "\\a\\b\\c", "\\a\\b\\c\\d"}) {
    remaining.push_back(Wide(folder));
  }
  remaining.push_back(Wide("\\a\\b\\c\\d\\vrdematcleanbeta.ms"));
  remaining.push_back(L"\\busy");
  remaining.push_back(L"\\busy\\3dsMax.ini");
  if (test::UnderWine()) {
    // Wine opens what a link leads to even when asked for the link itself: the links are
    // refused and stay, with the folder that holds them.
    for (const char* link : {"\\links\\empty", "\\links\\loop", "\\links\\out"}) {
      failed.push_back({tree + link, kErrorNotSupported});
      remaining.push_back(Wide(link));
    }
    if (file_link) {
      failed.push_back({tree + "\\links\\scene.max", kErrorNotSupported});
      remaining.push_back(L"\\links\\scene.max");
    }
    remaining.push_back(L"\\links");
  }
  EXPECT_EQ(Sorted(report.failed), Sorted(failed));
  std::sort(remaining.begin(), remaining.end());
  EXPECT_EQ(Remaining(tree), remaining);
  EXPECT_TRUE(report.existed);
  EXPECT_FALSE(report.removed);
  EXPECT_LT(took, 20000);

  holder.reset();
  for (const char* link :
       {"\\links\\empty", "\\links\\loop", "\\links\\out", "\\links\\scene.max"}) {
    test::RemoveLink(tree + link);
  }
}

// The folder to delete is itself a link: it goes as a link (Windows) or is refused (Wine), and
// what it leads to stays either way.
TEST_F(HostileTreeTest, ALinkGivenAsTheFolderNeverReachesItsTarget) {
  const std::string outside = scratch_.Join("外面");
  Folder(outside);
  Folder(outside + "\\sub");
  File(outside + "\\sub\\keep.ms", "keep");
  const std::string link = scratch_.Join("链接");
  ASSERT_TRUE(test::MakeFolderLink(link, outside));
  const auto before = Snapshot(outside);

  const DeletionReport report = DeleteDirectoryTree(system_, link + "\\");

  EXPECT_EQ(Snapshot(outside), before);
  if (test::UnderWine()) {
    EXPECT_EQ(report.failed, (std::vector<FileFailure>{{link, kErrorNotSupported}}));
    test::RemoveLink(link);
  } else {
    EXPECT_TRUE(report.removed);
    EXPECT_TRUE(report.Complete());
  }
}

}  // namespace
}  // namespace kelvo
