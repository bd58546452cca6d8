// An in-memory registry: keys and value names without letter case, a default value and named
// string values per key, and the WOW64 view of a 32-bit process on 64-bit Windows.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace kelvo::sim {

// The adapter's answer for a key path that names the root itself.
inline constexpr std::uint32_t kErrorBadKey = 1010;

struct RegistryCall {
  std::string operation;  // "DeleteTree", "SetDefaultValue"
  RegistryRoot root = RegistryRoot::LocalMachine;
  std::string key;
  RegistryView view = RegistryView::Default;
  OsResult result;
};

class SimRegistry : public Registry {
 public:
  SimRegistry() = default;

  // Registry. In the Default view of a 32-bit process HKLM\SOFTWARE\X is
  // HKLM\SOFTWARE\WOW6432Node\X, except under SOFTWARE\Classes, which both views share (only its
  // CLSID, Interface, DirectShow, Media Type and MediaFoundation branches are split). HKCU and
  // HKCR are the same in both views. DeleteTree refuses a key that names the root itself (empty
  // or only backslashes) with kErrorBadKey, as the adapter does, and never empties a whole root.
  bool KeyExists(RegistryRoot root, const std::string& key, RegistryView view) override;
  OsResult DeleteTree(RegistryRoot root, const std::string& key, RegistryView view) override;
  OsResult SetDefaultValue(RegistryRoot root, const std::string& key,
                           const std::string& value) override;
  std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                        const std::string& name, RegistryView view) override;
  std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                         const std::string& name, RegistryView view) override;

  // True (the default): the program is a 32-bit process on 64-bit Windows. False: a 64-bit
  // process, whose Default view is the 64-bit view.
  void SetProcessIs32Bit(bool is_32_bit) { process_is_32_bit_ = is_32_bit; }

  // Test side: keys as they are stored, that is as the 64-bit view names them.
  void AddKey(RegistryRoot root, const std::string& key);
  // An empty name sets the default value.
  void SetValue(RegistryRoot root, const std::string& key, const std::string& name,
                const std::string& value);
  // A named REG_DWORD value (creating the key path), as "reg add ... /t REG_DWORD" writes it.
  void SetDword(RegistryRoot root, const std::string& key, const std::string& name,
                std::uint32_t value);
  bool HasKey(RegistryRoot root, const std::string& key) const;
  std::optional<std::string> Value(RegistryRoot root, const std::string& key,
                                   const std::string& name) const;
  // Every change of a key at or below this one fails with 5. Deleting a tree that holds it
  // removes the rest and keeps it with the keys above it.
  void DenyChangesUnder(RegistryRoot root, const std::string& key);
  const std::vector<RegistryCall>& calls() const { return calls_; }

 private:
  struct Key {
    std::string name;
    std::optional<std::string> default_value;
    std::map<std::string, std::pair<std::string, std::string>>
        values;                                           // upper name -> (name, value)
    std::map<std::string, std::uint32_t> dwords;          // upper name -> REG_DWORD value
    std::map<std::string, std::unique_ptr<Key>> subkeys;  // keyed by upper name
  };
  using Names = std::vector<std::string>;

  static std::optional<std::string> ValueOf(const Key* key, const std::string& name);
  Names Resolve(RegistryRoot root, const std::string& key, RegistryView view) const;
  Key* Find(RegistryRoot root, const Names& names) const;
  Key& Make(RegistryRoot root, const Names& names);
  bool Denied(RegistryRoot root, const Names& names) const;
  // Deletes everything below the key that may be deleted, as RegDeleteTree goes on past a key it
  // may not delete; answers the first refusal (0 when the key itself may now go).
  std::uint32_t Prune(RegistryRoot root, Names& names, Key& key);

  bool process_is_32_bit_ = true;
  std::array<std::unique_ptr<Key>, 3> roots_{std::make_unique<Key>(), std::make_unique<Key>(),
                                             std::make_unique<Key>()};
  std::vector<std::pair<RegistryRoot, Names>> denied_;
  std::vector<RegistryCall> calls_;
};

}  // namespace kelvo::sim
