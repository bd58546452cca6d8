// Facts about the machine.
#pragma once

#include "platform/system_info.h"

namespace kelvo {

class Win32SystemInfo final : public SystemInfo {
 public:
  unsigned ProcessorCount() override;
};

}  // namespace kelvo
