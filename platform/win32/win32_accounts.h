// Accounts that own processes; its calls arrive with the desktop user resolution.
#pragma once

#include "platform/accounts.h"

namespace kelvo {

class Win32Accounts final : public Accounts {};

}  // namespace kelvo
