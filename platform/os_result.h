// Results of platform calls: the Windows error code of a failed call, 0 for success.
#pragma once

#include <cstdint>

namespace kelvo {

using WindowHandle = std::intptr_t;  // 0 = no window
using ProcessId = std::uint32_t;     // 0 = no process

// Windows error codes the logic tells apart.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
// ERROR_NOT_SUPPORTED: what was opened is not what was listed (a link the system went through).
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorDirNotEmpty = 145;
inline constexpr std::uint32_t kErrorAlreadyExists = 183;

struct [[nodiscard]] OsResult {
  std::uint32_t error = 0;

  static OsResult Ok() { return {}; }
  static OsResult Failed(std::uint32_t code) { return {code}; }
  bool ok() const { return error == 0; }
  friend bool operator==(const OsResult&, const OsResult&) = default;
};

}  // namespace kelvo
