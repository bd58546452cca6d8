#include "platform/win32/win32_system_info.h"

#include <windows.h>

namespace kelvo {

unsigned Win32SystemInfo::ProcessorCount() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

}  // namespace kelvo
