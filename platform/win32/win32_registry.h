// The registry through the wide functions. Bits64 adds KEY_WOW64_64KEY to every open, create and
// delete; Default leaves the view to the process (the 32-bit build sees WOW6432Node).
#pragma once

#include "platform/registry.h"

namespace kelvo {

class Win32Registry final : public Registry {
 public:
  [[nodiscard]] bool KeyExists(RegistryRoot root, const std::string& key,
                               RegistryView view) override;
  // Deletes subkeys depth first, every open and delete in the asked view: Windows does not carry
  // KEY_WOW64_64KEY from a parent handle to its children, so RegDeleteTreeW from a 32-bit
  // process would descend into the 32-bit view. An empty key (the root itself) is refused.
  OsResult DeleteTree(RegistryRoot root, const std::string& key, RegistryView view) override;
  OsResult SetDefaultValue(RegistryRoot root, const std::string& key,
                           const std::string& value) override;
  // REG_SZ and REG_EXPAND_SZ (not expanded); other types and missing values give nullopt.
  [[nodiscard]] std::optional<std::string> ReadString(RegistryRoot root, const std::string& key,
                                                      const std::string& name,
                                                      RegistryView view) override;
  [[nodiscard]] std::optional<std::uint32_t> ReadDword(RegistryRoot root, const std::string& key,
                                                       const std::string& name,
                                                       RegistryView view) override;
};

}  // namespace kelvo
