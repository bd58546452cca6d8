// HTTP and HTTPS through WinHTTP, loaded from the system folder when first needed. The calls
// that wait on the network run on a helper thread while the caller waits up to the exchange's
// whole limit; past it the request handle is closed and the helper left to finish on its own, so
// no server can hold the program longer (WinHTTP's own limits do not fire against a server that
// accepts and stays silent, or that sends a byte now and then).
#pragma once

#include "platform/http_transport.h"

namespace kelvo {

class Win32HttpTransport final : public HttpTransport {
 public:
  bool PlatformUsable() override;
  std::optional<UrlParts> CrackUrl(const std::string& url) override;
  std::unique_ptr<HttpExchange> OpenSession(const std::string& proxy,
                                            std::uint32_t total_limit_ms) override;
};

}  // namespace kelvo
