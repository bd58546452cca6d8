// HTTP and HTTPS through WinHTTP; its calls arrive with the web access routine.
#pragma once

#include "platform/http_transport.h"

namespace kelvo {

class Win32HttpTransport final : public HttpTransport {};

}  // namespace kelvo
