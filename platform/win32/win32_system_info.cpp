#include "platform/win32/win32_system_info.h"

#include <windows.h>

namespace kelvo {
namespace {

std::uint64_t Total(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

unsigned Win32SystemInfo::ProcessorCount() {
  SYSTEM_INFO info{};
  ::GetSystemInfo(&info);
  return info.dwNumberOfProcessors;
}

std::optional<unsigned> Win32SystemInfo::MemoryLoadPercent() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  if (!::GlobalMemoryStatusEx(&status)) return std::nullopt;
  return static_cast<unsigned>(status.dwMemoryLoad);
}

std::optional<SystemTimes> Win32SystemInfo::ProcessorTimes() {
  FILETIME idle{}, kernel{}, user{};
  if (!::GetSystemTimes(&idle, &kernel, &user)) return std::nullopt;
  return SystemTimes{Total(idle), Total(kernel), Total(user)};
}

}  // namespace kelvo
