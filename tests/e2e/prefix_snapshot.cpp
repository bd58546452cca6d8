#include "tests/e2e/prefix_snapshot.h"

#include <algorithm>
#include <cstdio>

namespace kelvo::e2e {
namespace {

// Deeper than anything Windows or Wine keeps; a loop through a registry link stops here.
constexpr int kDeepest = 48;

std::wstring Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), towlower);
  return text;
}

std::wstring Hex(unsigned long long value) {
  wchar_t text[24] = {};
  std::swprintf(text, std::size(text), L"%llx", value);
  return text;
}

// FNV-1a: a changed value changes its state text without the data being kept in it.
unsigned long long Fingerprint(const std::vector<BYTE>& data) {
  unsigned long long hash = 14695981039346656037ull;
  for (BYTE byte : data) {
    hash ^= byte;
    hash *= 1099511628211ull;
  }
  return hash;
}

}  // namespace

void PrefixSnapshot::Add(const std::wstring& name, std::wstring state) {
  items_[Lower(name)] = SnapshotItem{name, std::move(state)};
}

void PrefixSnapshot::AddFolderTree(const std::wstring& folder) {
  std::wstring root = folder;
  if (!root.empty() && root.back() == L'\\') root.pop_back();
  WalkFolder(root, 0);
}

void PrefixSnapshot::WalkFolder(const std::wstring& folder, int depth) {
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = L"\\\\?\\" + folder + L"\\*";
  HANDLE search =
      FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::wstring> subfolders;
  do {
    const std::wstring entry = found.cFileName;
    if (entry == L"." || entry == L"..") continue;
    const std::wstring path = folder + L"\\" + entry;
    const DWORD attributes = found.dwFileAttributes;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      Add(path, L"folder attributes=" + Hex(attributes));
      if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && depth < kDeepest)
        subfolders.push_back(path);
    } else {
      const unsigned long long size =
          (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      const unsigned long long written =
          (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
          found.ftLastWriteTime.dwLowDateTime;
      Add(path, L"file size=" + Hex(size) + L" written=" + Hex(written) + L" attributes=" +
                    Hex(attributes));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  for (const std::wstring& subfolder : subfolders)
    WalkFolder(subfolder, depth + 1);
}

void PrefixSnapshot::AddRegistryTree(HKEY root, const std::wstring& display) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, nullptr, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return;
  WalkKey(key, display, 0);
  RegCloseKey(key);
}

void PrefixSnapshot::WalkKey(HKEY key, const std::wstring& name, int depth) {
  Add(name, L"key");
  std::vector<wchar_t> value_name(16384);
  std::vector<BYTE> data(1 << 16);
  for (DWORD index = 0;; ++index) {
    DWORD name_size = static_cast<DWORD>(value_name.size());
    DWORD data_size = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG status = RegEnumValueW(key, index, value_name.data(), &name_size, nullptr, &type,
                                data.data(), &data_size);
    if (status == ERROR_MORE_DATA) {
      data.resize(data_size + 1);
      --index;
      continue;
    }
    if (status != ERROR_SUCCESS) break;
    const std::vector<BYTE> value(data.begin(), data.begin() + data_size);
    Add(name + L"\\[" + std::wstring(value_name.data(), name_size) + L"]",
        L"type=" + Hex(type) + L" size=" + Hex(data_size) + L" data=" + Hex(Fingerprint(value)));
  }
  if (depth >= kDeepest) return;
  std::vector<std::wstring> subkeys;
  for (DWORD index = 0;; ++index) {
    wchar_t subkey[256] = {};
    DWORD size = static_cast<DWORD>(std::size(subkey));
    if (RegEnumKeyExW(key, index, subkey, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    subkeys.emplace_back(subkey, size);
  }
  for (const std::wstring& subkey : subkeys) {
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, subkey.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &child) !=
        ERROR_SUCCESS) {
      continue;
    }
    WalkKey(child, name + L"\\" + subkey, depth + 1);
    RegCloseKey(child);
  }
}

std::vector<PrefixSnapshot::Change> PrefixSnapshot::ChangesSince(
    const PrefixSnapshot& before) const {
  std::vector<Change> changes;
  auto old_item = before.items_.begin();
  auto new_item = items_.begin();
  while (old_item != before.items_.end() || new_item != items_.end()) {
    if (new_item == items_.end() ||
        (old_item != before.items_.end() && old_item->first < new_item->first)) {
      changes.push_back({L"removed", old_item->second.name});
      ++old_item;
    } else if (old_item == before.items_.end() || new_item->first < old_item->first) {
      changes.push_back({L"added", new_item->second.name});
      ++new_item;
    } else {
      if (old_item->second.state != new_item->second.state)
        changes.push_back({L"changed", new_item->second.name});
      ++old_item;
      ++new_item;
    }
  }
  return changes;
}

bool MatchesPattern(const std::wstring& name, const std::wstring& pattern) {
  // The classic wildcard walk: on a mismatch after a "*", let the star take one more character.
  const std::wstring text = Lower(name);
  const std::wstring glob = Lower(pattern);
  std::size_t t = 0, g = 0, star = std::wstring::npos, resume = 0;
  while (t < text.size()) {
    if (g < glob.size() && glob[g] == L'*') {
      star = g++;
      resume = t;
    } else if (g < glob.size() && glob[g] == text[t]) {
      ++g;
      ++t;
    } else if (star != std::wstring::npos) {
      g = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (g < glob.size() && glob[g] == L'*')
    ++g;
  return g == glob.size();
}

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

}  // namespace kelvo::e2e
