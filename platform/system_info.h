// Facts about the machine: processors, memory, processor times. Its calls arrive with the
// status monitor.
#pragma once

namespace kelvo {

class SystemInfo {
 public:
  virtual ~SystemInfo() = default;
};

}  // namespace kelvo
