// Facts about the machine: processors, memory, processor times.
#pragma once

namespace kelvo {

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;

  // Number of logical processors Windows reports (GetSystemInfo).
  virtual unsigned ProcessorCount() = 0;
};

}  // namespace kelvo
