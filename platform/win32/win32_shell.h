// Starting documents and programs through the shell.
#pragma once

#include "platform/shell.h"

namespace kelvo {

class Win32Shell final : public Shell {
 public:
  bool OpenInBrowser(const std::string& address) override;
};

}  // namespace kelvo
