// HTTP and HTTPS requests, one step at a time, so that the web access routine can tell which step
// failed. Texts going in and coming out are GBK; the adapter converts at its edge.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kelvo {

// An address taken apart.
struct UrlParts {
  bool secure = false;  // https
  std::string host;
  std::uint16_t port = 0;  // as the address gives it, or the scheme's default
  std::string path;        // may be empty
  std::string extra;       // the query with its "?", may be empty
};

// Numbers of the request options and their values, as WinHTTP numbers them.
inline constexpr std::uint32_t kHttpOptionSecurityFlags = 31;
inline constexpr std::uint32_t kHttpOptionDisableFeature = 63;
inline constexpr std::uint32_t kHttpOptionEnableFeature = 79;
inline constexpr std::uint32_t kHttpIgnoreCertificateErrors = 0x3300;
inline constexpr std::uint32_t kHttpDisableCookies = 1;
inline constexpr std::uint32_t kHttpDisableRedirects = 2;
inline constexpr std::uint32_t kHttpAuthTargetServer = 0;
inline constexpr std::uint32_t kHttpAuthTargetProxy = 1;

// One request with its session and connection. Destroying it closes what was opened: the
// request, then the connection, then the session. Every call answers false (or nullopt) on
// failure. Past the whole-exchange limit given at opening, the blocked call is abandoned and it
// and every later call fail.
class HttpExchange {
 public:
  virtual ~HttpExchange() = default;

  // The same limit for name resolution, connecting, sending and receiving.
  [[nodiscard]] virtual bool SetTimeouts(std::uint32_t ms) = 0;
  [[nodiscard]] virtual bool Connect(const std::string& host, std::uint16_t port) = 0;
  [[nodiscard]] virtual bool OpenRequest(const std::string& verb, const std::string& object,
                                         bool secure) = 0;
  // Basic authentication at the server or at the proxy (kHttpAuthTarget...).
  [[nodiscard]] virtual bool SetCredentials(std::uint32_t target, const std::string& user,
                                            const std::string& password) = 0;
  [[nodiscard]] virtual bool SetOption(std::uint32_t option, std::uint32_t value) = 0;
  // Header lines separated by "\r\n".
  [[nodiscard]] virtual bool AddHeaders(const std::string& block) = 0;
  [[nodiscard]] virtual bool Send(const std::string& body) = 0;
  // True once the response headers have arrived.
  [[nodiscard]] virtual bool ReceiveResponse() = 0;
  // Body bytes ready now; 0 at the end.
  virtual std::optional<std::size_t> DataAvailable() = 0;
  // The bytes actually read, at most `bytes`.
  virtual std::optional<std::string> Read(std::size_t bytes) = 0;
  // The raw response header block, status line first, each line ending in "\r\n".
  virtual std::optional<std::string> RawHeaders() = 0;
};

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;

  // False when the system's HTTP service cannot be used.
  virtual bool PlatformUsable() = 0;
  // nullopt when the address is not an http or https address.
  virtual std::optional<UrlParts> CrackUrl(const std::string& url) = 0;
  // A session through the named proxy (empty: a direct connection). total_limit_ms bounds the
  // whole exchange from now on, whatever the server does; 0 leaves it unbounded. nullptr when the
  // session cannot be opened.
  virtual std::unique_ptr<HttpExchange> OpenSession(const std::string& proxy,
                                                    std::uint32_t total_limit_ms) = 0;
};

}  // namespace kelvo
