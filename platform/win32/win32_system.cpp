#include "platform/win32/win32_system.h"

namespace kelvo {

Win32System::Win32System()
    : system_{files_, registry_,    processes_, windows_,  dialogs_,     pump_,
              shell_, system_info_, http_,      accounts_, notify_area_, kernel_} {}

}  // namespace kelvo
