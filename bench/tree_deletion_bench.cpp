// DeleteDirectoryTree against "cmd /c rd /s /q" on identical trees, side by side in one run:
//   kelvo_tree_deletion_bench [--files N] [--folders N] [--rounds N] [--label TEXT] [--in FOLDER]
// Each round builds two identical trees (N files spread over the folders, two levels deep, as in
// a 3ds Max installation or a user settings folder), deletes one with DeleteDirectoryTree and the
// other with rd, alternating which goes first. Prints both medians, the ratio, and what starting
// cmd alone costs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "maintenance/file_operations.h"
#include "platform/win32/text_conversion.h"
#include "bench/start_command.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_system.h"

namespace {

using kelvo::UniqueHandle;

double Seconds() {
  LARGE_INTEGER now{}, frequency{};
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// `files` files of a few hundred bytes in `folders` folders: sqrt(folders) folders at the top,
// the rest below them, the files dealt out over all of them.
bool BuildTree(const std::wstring& top, int files, int folders) {
  if (!::CreateDirectoryW(top.c_str(), nullptr)) return false;
  std::vector<std::wstring> all;
  int upper = 1;
  while (upper * upper < folders)
    ++upper;
  for (int i = 0; i < folders; ++i) {
    std::wstring folder = top + L"\\d" + std::to_wstring(i % upper);
    if (i >= upper) folder += L"\\sub" + std::to_wstring(i);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) return false;
    all.push_back(std::move(folder));
  }
  const std::string content(300, 'x');
  for (int i = 0; i < files; ++i) {
    const std::wstring path = all[i % all.size()] + L"\\file" + std::to_wstring(i) + L".dat";
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()),
                              &written, nullptr)) {
      return false;
    }
  }
  return true;
}

// Runs the command line to its end; seconds, or a negative number when it could not start.
double RunCommand(const std::wstring& command_line) {
  const double start = Seconds();
  const UniqueHandle process = kelvo::bench::StartCommand(command_line, CREATE_NO_WINDOW);
  if (!process) return -1;
  ::WaitForSingleObject(process.get(), INFINITE);
  return Seconds() - start;
}

std::wstring SystemCmd() {
  wchar_t folder[MAX_PATH] = {};
  ::GetSystemDirectoryW(folder, MAX_PATH);
  return std::wstring(L"\"") + folder + L"\\cmd.exe\"";
}

bool Exists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int files = 2000;
  int folders = 100;
  int rounds = 3;
  std::wstring label = L"tree";
  std::wstring in;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::wstring option = argv[i];
    if (option == L"--files") files = std::max(1, _wtoi(argv[i + 1]));
    if (option == L"--folders") folders = std::max(1, _wtoi(argv[i + 1]));
    if (option == L"--rounds") rounds = std::max(1, _wtoi(argv[i + 1]));
    if (option == L"--label") label = argv[i + 1];
    if (option == L"--in") in = argv[i + 1];
  }
  if (in.empty()) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    in.assign(temp, length);
  }
  if (!in.empty() && in.back() == L'\\') in.pop_back();
  const std::wstring base = in + L"\\kelvo_tree_bench_" + std::to_wstring(::GetCurrentProcessId());
  if (!::CreateDirectoryW(base.c_str(), nullptr)) {
    std::fprintf(stderr, "cannot create %ls (error %lu)\n", base.c_str(), ::GetLastError());
    return 2;
  }

  kelvo::Win32System windows;
  const std::wstring cmd = SystemCmd();
  std::vector<double> ours, rd, cmd_alone;
  for (int round = 0; round < rounds; ++round) {
    const std::wstring mine = base + L"\\ours" + std::to_wstring(round);
    const std::wstring theirs = base + L"\\rd" + std::to_wstring(round);
    if (!BuildTree(mine, files, folders) || !BuildTree(theirs, files, folders)) {
      std::fprintf(stderr, "building the trees failed (error %lu)\n", ::GetLastError());
      return 2;
    }
    const auto delete_ours = [&] {
      const double start = Seconds();
      const kelvo::DeletionReport report =
          kelvo::DeleteDirectoryTree(windows.system(), kelvo::Utf16ToGbk(mine));
      ours.push_back(Seconds() - start);
      return report.removed;
    };
    const auto delete_rd = [&] {
      const double took = RunCommand(cmd + L" /c rd /s /q \"" + theirs + L"\"");
      rd.push_back(took);
      return took >= 0 && !Exists(theirs);
    };
    // Whichever goes second may find the disk's caches warmer: take turns.
    const bool ok = round % 2 == 0 ? (delete_ours() & delete_rd()) : (delete_rd() & delete_ours());
    if (!ok) {
      std::fprintf(stderr, "a deletion left its tree behind\n");
      return 1;
    }
    cmd_alone.push_back(RunCommand(cmd + L" /c rem"));
  }
  ::RemoveDirectoryW(base.c_str());

  const double ours_s = Median(ours);
  const double rd_s = Median(rd);
  std::printf(
      "%ls (%d files in %d folders, median of %d): DeleteDirectoryTree %.3f s, reference "
      "cmd /c rd /s /q %.3f s (starting cmd alone %.3f s), ratio %.2f (goal at most 1.0)\n",
      label.c_str(), files, folders, rounds, ours_s, rd_s, Median(cmd_alone), ours_s / rd_s);
  return 0;
}
