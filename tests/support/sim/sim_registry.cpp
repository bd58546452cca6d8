#include "tests/support/sim/sim_registry.h"

#include <algorithm>

#include "tests/support/sim/sim_text.h"

namespace kelvo::sim {
namespace {

constexpr char kWow64Node[] = "WOW6432Node";

// The branches of HKLM\SOFTWARE\Classes that WOW64 still splits between the two views.
bool IsSplitClassesBranch(const std::string& upper) {
  static constexpr const char* kSplit[] = {"CLSID", "INTERFACE", "DIRECTSHOW", "MEDIA TYPE",
                                           "MEDIAFOUNDATION"};
  return std::any_of(std::begin(kSplit), std::end(kSplit),
                     [&](const char* name) { return upper == name; });
}

std::size_t Index(RegistryRoot root) {
  return static_cast<std::size_t>(root);
}

}  // namespace

SimRegistry::Names SimRegistry::Resolve(RegistryRoot root, const std::string& key,
                                        RegistryView view) const {
  Names names = SplitNames(key, /*slash_too=*/false);
  const bool redirected = process_is_32_bit_ && view == RegistryView::Default &&
                          root == RegistryRoot::LocalMachine && !names.empty() &&
                          UpperName(names[0]) == "SOFTWARE";
  if (!redirected) return names;
  const std::string second = names.size() > 1 ? UpperName(names[1]) : std::string();
  if (second == UpperName(kWow64Node)) return names;
  if (second == "CLASSES") {
    if (names.size() > 2 && IsSplitClassesBranch(UpperName(names[2]))) {
      names.insert(names.begin() + 2, kWow64Node);
    }
    return names;
  }
  names.insert(names.begin() + 1, kWow64Node);
  return names;
}

SimRegistry::Key* SimRegistry::Find(RegistryRoot root, const Names& names) const {
  Key* key = roots_[Index(root)].get();
  for (const std::string& name : names) {
    const auto found = key->subkeys.find(UpperName(name));
    if (found == key->subkeys.end()) return nullptr;
    key = found->second.get();
  }
  return key;
}

SimRegistry::Key& SimRegistry::Make(RegistryRoot root, const Names& names) {
  Key* key = roots_[Index(root)].get();
  for (const std::string& name : names) {
    std::unique_ptr<Key>& slot = key->subkeys[UpperName(name)];
    if (!slot) {
      slot = std::make_unique<Key>();
      slot->name = name;
    }
    key = slot.get();
  }
  return *key;
}

bool SimRegistry::Denied(RegistryRoot root, const Names& names) const {
  for (const auto& [denied_root, prefix] : denied_) {
    if (denied_root != root || prefix.size() > names.size()) continue;
    if (std::equal(prefix.begin(), prefix.end(), names.begin(),
                   [](const std::string& upper, const std::string& name) {
                     return upper == UpperName(name);
                   })) {
      return true;
    }
  }
  return false;
}

std::uint32_t SimRegistry::Prune(RegistryRoot root, Names& names, Key& key) {
  std::uint32_t first_failure = 0;
  for (auto child = key.subkeys.begin(); child != key.subkeys.end();) {
    names.push_back(child->second->name);
    const std::uint32_t error = Prune(root, names, *child->second);
    names.pop_back();
    if (error == 0) {
      child = key.subkeys.erase(child);
    } else {
      if (first_failure == 0) first_failure = error;
      ++child;
    }
  }
  if (first_failure == 0 && Denied(root, names)) first_failure = kErrorAccessDenied;
  return first_failure;
}

std::optional<std::string> SimRegistry::ValueOf(const Key* key, const std::string& name) {
  if (!key) return std::nullopt;
  if (name.empty()) return key->default_value;
  const auto value = key->values.find(UpperName(name));
  if (value == key->values.end()) return std::nullopt;
  return value->second.second;
}

bool SimRegistry::KeyExists(RegistryRoot root, const std::string& key, RegistryView view) {
  return Find(root, Resolve(root, key, view)) != nullptr;
}

OsResult SimRegistry::DeleteTree(RegistryRoot root, const std::string& key, RegistryView view) {
  Names names = Resolve(root, key, view);
  std::uint32_t error = 0;
  Key* found = Find(root, names);
  if (names.empty()) {
    error = kErrorBadKey;
  } else if (!found) {
    error = kErrorFileNotFound;
  } else {
    error = Prune(root, names, *found);
    if (error == 0) {
      Find(root, Names(names.begin(), names.end() - 1))->subkeys.erase(UpperName(names.back()));
    }
  }
  const OsResult result = error == 0 ? OsResult::Ok() : OsResult::Failed(error);
  calls_.push_back({"DeleteTree", root, key, view, result});
  return result;
}

OsResult SimRegistry::SetDefaultValue(RegistryRoot root, const std::string& key,
                                      const std::string& value) {
  const Names names = Resolve(root, key, RegistryView::Default);
  OsResult result = OsResult::Ok();
  if (Denied(root, names)) {
    result = OsResult::Failed(kErrorAccessDenied);
  } else {
    Make(root, names).default_value = value;
  }
  calls_.push_back({"SetDefaultValue", root, key, RegistryView::Default, result});
  return result;
}

std::optional<std::string> SimRegistry::ReadString(RegistryRoot root, const std::string& key,
                                                   const std::string& name, RegistryView view) {
  return ValueOf(Find(root, Resolve(root, key, view)), name);
}

std::optional<std::uint32_t> SimRegistry::ReadDword(RegistryRoot root, const std::string& key,
                                                    const std::string& name, RegistryView view) {
  const Key* found = Find(root, Resolve(root, key, view));
  if (!found) return std::nullopt;
  const auto value = found->dwords.find(UpperName(name));
  if (value == found->dwords.end()) return std::nullopt;
  return value->second;
}

void SimRegistry::SetDword(RegistryRoot root, const std::string& key, const std::string& name,
                           std::uint32_t value) {
  Key& found = Make(root, SplitNames(key, /*slash_too=*/false));
  found.values.erase(UpperName(name));
  found.dwords[UpperName(name)] = value;
}

void SimRegistry::AddKey(RegistryRoot root, const std::string& key) {
  Make(root, SplitNames(key, /*slash_too=*/false));
}

void SimRegistry::SetValue(RegistryRoot root, const std::string& key, const std::string& name,
                           const std::string& value) {
  Key& found = Make(root, SplitNames(key, /*slash_too=*/false));
  if (name.empty()) {
    found.default_value = value;
  } else {
    found.dwords.erase(UpperName(name));
    found.values[UpperName(name)] = {name, value};
  }
}

bool SimRegistry::HasKey(RegistryRoot root, const std::string& key) const {
  return Find(root, SplitNames(key, /*slash_too=*/false)) != nullptr;
}

std::optional<std::string> SimRegistry::Value(RegistryRoot root, const std::string& key,
                                              const std::string& name) const {
  return ValueOf(Find(root, SplitNames(key, /*slash_too=*/false)), name);
}

void SimRegistry::DenyChangesUnder(RegistryRoot root, const std::string& key) {
  Names upper;
  for (const std::string& name : SplitNames(key, /*slash_too=*/false)) {
    upper.push_back(UpperName(name));
  }
  denied_.emplace_back(root, std::move(upper));
}

}  // namespace kelvo::sim
