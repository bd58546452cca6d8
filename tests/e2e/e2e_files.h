// Files and folders of the test's Wine prefix, as the end-to-end tests prepare and check them.
#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "model/version_catalogue.h"
#include "platform/win32/text_conversion.h"

namespace kelvo::e2e {

inline std::wstring Wide(const std::string& gbk) {
  return GbkToUtf16(gbk).c_str();
}

// The desktop shell runs as the same account as the tests.
inline std::wstring UserName() {
  wchar_t name[256] = {};
  DWORD size = static_cast<DWORD>(std::size(name));
  GetUserNameW(name, &size);
  return name;
}

inline std::wstring UserDir(MaxVersion release) {
  return L"C:\\Users\\" + UserName() + Wide(UserDirSuffix(release));
}

inline void MakeFile(const std::filesystem::path& path, const std::string& bytes = "x") {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Removes the tree whatever its attributes say.
inline void RemoveTree(const std::filesystem::path& path) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path, ignored)) {
    SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  std::filesystem::remove_all(path, ignored);
}

}  // namespace kelvo::e2e
