// Starting documents and programs; its calls arrive with the operations that start programs.
#pragma once

#include "platform/shell.h"

namespace kelvo {

class Win32Shell final : public Shell {};

}  // namespace kelvo
