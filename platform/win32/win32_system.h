// Every port implemented with Windows, owned together; the program hands system() to the logic.
#pragma once

#include "platform/system.h"
#include "platform/win32/win32_accounts.h"
#include "platform/win32/win32_dialogs.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_http_transport.h"
#include "platform/win32/win32_kernel_objects.h"
#include "platform/win32/win32_message_pump.h"
#include "platform/win32/win32_notify_area.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system_info.h"
#include "platform/win32/win32_window_system.h"

namespace kelvo {

class Win32System {
 public:
  Win32System();
  Win32System(const Win32System&) = delete;
  Win32System& operator=(const Win32System&) = delete;

  System& system() { return system_; }

 private:
  Win32FileSystem files_;
  Win32Registry registry_;
  Win32Processes processes_;
  Win32WindowSystem windows_;
  Win32Dialogs dialogs_;
  Win32MessagePump pump_;
  Win32Shell shell_;
  Win32SystemInfo system_info_;
  Win32HttpTransport http_;
  Win32Accounts accounts_;
  Win32NotifyArea notify_area_;
  Win32KernelObjects kernel_;
  System system_;  // refers to the members above, so it comes last
};

}  // namespace kelvo
