// Facts about the machine: processors, memory, processor times.
#pragma once

#include <cstdint>
#include <optional>

namespace kelvo {

// Processor time of the whole machine since boot, summed over every processor, in 100 ns units.
// Kernel time includes idle time, as Windows counts it.
struct SystemTimes {
  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
};

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // Number of logical processors Windows reports (GetSystemInfo).
  virtual unsigned ProcessorCount() = 0;
  // Percent of physical memory in use, 0 to 100 (GlobalMemoryStatusEx); nullopt when unreadable.
  [[nodiscard]] virtual std::optional<unsigned> MemoryLoadPercent() = 0;
  // GetSystemTimes; nullopt when the counters cannot be read.
  [[nodiscard]] virtual std::optional<SystemTimes> ProcessorTimes() = 0;
};

}  // namespace kelvo
