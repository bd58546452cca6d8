// Named events and the CryptoAPI digest.
#pragma once

#include <vector>

#include "platform/kernel_objects.h"
#include "platform/win32/unique_handle.h"

namespace kelvo {

class Win32KernelObjects final : public KernelObjects {
 public:
  NamedEventResult CreateNamedEvent(const std::string& name) override;
  std::optional<Md5Digest> Md5(const std::string& bytes) override;

 private:
  // Held until the process ends: the system closes them then.
  std::vector<UniqueHandle> events_;
};

}  // namespace kelvo
