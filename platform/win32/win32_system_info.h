// Facts about the machine.
#pragma once

#include "platform/system_info.h"

namespace kelvo {

class Win32SystemInfo final : public SystemInfo {
 public:
  unsigned ProcessorCount() override;
  std::optional<unsigned> MemoryLoadPercent() override;
  std::optional<SystemTimes> ProcessorTimes() override;
};

}  // namespace kelvo
