// Accounts that own processes. Its calls arrive with the desktop user resolution.
#pragma once

namespace kelvo {

class Accounts {
 public:
  virtual ~Accounts() = default;
};

}  // namespace kelvo
