// A picture of the test prefix's disk and registry, and what changed between two pictures. The
// end-to-end tests use it to show that an operation changed only what it says it changes.
//   Files:    "C:\Users\me\a.ini" -> kind, size, write time, attributes (folders: kind and
//             attributes; a folder's write time moves with its entries and says nothing itself)
//   Registry: "HKLM\SOFTWARE\Key" -> "key"; "HKLM\SOFTWARE\Key\[Name]" -> type and data ("[]" is
//             the unnamed value), both views seen through the 64-bit one.
// Names are compared without regard to case, as Windows compares them.
#pragma once

#include <windows.h>

#include <cwctype>
#include <map>
#include <string>
#include <vector>

namespace kelvo::e2e {

struct SnapshotItem {
  std::wstring name;   // as Windows spells it
  std::wstring state;  // equal states mean unchanged
};

class PrefixSnapshot {
 public:
  // Walks the folder tree below `folder` ("C:\") without following links.
  void AddFolderTree(const std::wstring& folder);
  // Walks every key and value below the root, under the given display name ("HKLM").
  void AddRegistryTree(HKEY root, const std::wstring& display);

  std::size_t size() const { return items_.size(); }

  struct Change {
    const wchar_t* kind;  // "added", "removed", "changed"
    std::wstring name;
  };
  // What differs from `before`, in name order.
  std::vector<Change> ChangesSince(const PrefixSnapshot& before) const;

 private:
  void Add(const std::wstring& name, std::wstring state);
  void WalkFolder(const std::wstring& folder, int depth);
  void WalkKey(HKEY key, const std::wstring& name, int depth);

  std::map<std::wstring, SnapshotItem> items_;  // by lower-case name
};

// True when the name matches the pattern; "*" stands for any run of characters, backslashes
// included, and case does not count.
bool MatchesPattern(const std::wstring& name, const std::wstring& pattern);

// A wide text as UTF-8, for test output.
std::string Utf8(const std::wstring& text);

}  // namespace kelvo::e2e
