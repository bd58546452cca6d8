// Facts about the machine; its calls arrive with the status monitor.
#pragma once

#include "platform/system_info.h"

namespace kelvo {

class Win32SystemInfo final : public SystemInfo {};

}  // namespace kelvo
