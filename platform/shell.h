// The desktop shell: starting documents and programs. Its calls arrive with the operations
// that start programs.
#pragma once

namespace kelvo {

class Shell {
 public:
  virtual ~Shell() = default;
};

}  // namespace kelvo
