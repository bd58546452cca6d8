// The bundle of ports that the logic receives.
#pragma once

#include "platform/accounts.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/http_transport.h"
#include "platform/kernel_objects.h"
#include "platform/message_pump.h"
#include "platform/notify_area.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system_info.h"
#include "platform/window_system.h"

namespace kelvo {

struct System {
  FileSystem& files;
  Registry& registry;
  Processes& processes;
  WindowSystem& windows;
  Dialogs& dialogs;
  MessagePump& pump;
  Shell& shell;
  SystemInfo& system_info;
  HttpTransport& http;
  Accounts& accounts;
  NotifyArea& notify_area;
  KernelObjects& kernel;
};

}  // namespace kelvo
