// Named kernel objects shared between processes, and the system's message digest.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace kelvo {

enum class NamedEventResult {
  kCreated,        // no object of that name existed; this process holds the new one
  kAlreadyExists,  // another process holds it (ERROR_ALREADY_EXISTS)
  kFailed,         // no event could be made (for example an object of another kind has the name)
};

using Md5Digest = std::array<std::uint8_t, 16>;

class KernelObjects {
 public:
  virtual ~KernelObjects() = default;

  // Creates an auto-reset, non-signalled event with default security under the name (GBK, no
  // namespace prefix), or opens the existing one, in one step. The handle stays open until the
  // process ends; nothing ever waits on it or signals it.
  virtual NamedEventResult CreateNamedEvent(const std::string& name) = 0;
  // MD5 of the bytes; nullopt when the system's cryptography could not be used.
  virtual std::optional<Md5Digest> Md5(const std::string& bytes) = 0;
};

}  // namespace kelvo
