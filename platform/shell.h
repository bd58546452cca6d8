// The desktop shell: starting documents and programs.
#pragma once

#include <string>

namespace kelvo {

class Shell {
 public:
  virtual ~Shell() = default;

  // Opens a web address in the user's default browser; false when nothing could open it.
  [[nodiscard]] virtual bool OpenInBrowser(const std::string& address) = 0;
};

}  // namespace kelvo
