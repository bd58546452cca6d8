// The Windows registry, with an explicit choice of the 64-bit view.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/os_result.h"

namespace kelvo {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// Default: the view of the calling process (the 32-bit view for the 32-bit release build,
// where HKLM\SOFTWARE is redirected to SOFTWARE\WOW6432Node). Bits64: KEY_WOW64_64KEY.
enum class RegistryView { Default, Bits64 };

class Registry {
 public:
  virtual ~Registry() = default;

  [[nodiscard]] virtual bool KeyExists(RegistryRoot root, const std::string& key,
                                       RegistryView view) = 0;
  // Deletes the key with all its subkeys and values.
  virtual OsResult DeleteTree(RegistryRoot root, const std::string& key, RegistryView view) = 0;
  // Sets the key's unnamed value as REG_SZ, creating the key path.
  virtual OsResult SetDefaultValue(RegistryRoot root, const std::string& key,
                                   const std::string& value) = 0;
  // The key's unnamed value, or a named value when a name is given.
  [[nodiscard]] virtual std::optional<std::string> ReadString(RegistryRoot root,
                                                              const std::string& key,
                                                              const std::string& name,
                                                              RegistryView view) = 0;
  // A named REG_DWORD value; nullopt when it is missing or of another type.
  [[nodiscard]] virtual std::optional<std::uint32_t> ReadDword(RegistryRoot root,
                                                               const std::string& key,
                                                               const std::string& name,
                                                               RegistryView view) = 0;
};

}  // namespace kelvo
