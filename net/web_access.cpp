#include "net/web_access.h"

#include <memory>
#include <string_view>

#include "net/charset_sniff.h"
#include "net/merge_cookies.h"
#include "net/regex_object.h"
#include "net/request_headers.h"
#include "net/text_between.h"

namespace kelvo {
namespace {

constexpr const char* kVerbs[] = {"GET",     "POST",   "HEAD",  "PUT",
                                  "OPTIONS", "DELETE", "TRACE", "CONNECT"};
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kSetCookieName = "Set-Cookie";
constexpr std::string_view kSetCookieLabel = "Set-Cookie:";
constexpr std::string_view kLocationLabel = "Location: ";
constexpr std::string_view kCookieSeparator = "; ";
// The status line is "HTTP/1.1 " and then the code and reason.
constexpr std::size_t kStatusOffset = 9;

const char* Verb(int method) {
  return method >= 0 && method < static_cast<int>(std::size(kVerbs)) ? kVerbs[method] : "GET";
}

void Write(std::string* output, std::string value) {
  if (output != nullptr) *output = std::move(value);
}

std::string ProxyName(const std::string& proxy, bool secure) {
  if (proxy.empty() || secure) return proxy;
  return "http=" + proxy;
}

// Every "Set-Cookie:" removed, whatever its case.
std::string WithoutSetCookieLabels(std::string_view line) {
  std::string result;
  std::size_t start = 0;
  for (std::size_t at = FindText(line, kSetCookieLabel, 0, true); at != std::string_view::npos;
       at = FindText(line, kSetCookieLabel, start, true)) {
    result.append(line.substr(start, at - start));
    start = at + kSetCookieLabel.size();
  }
  result.append(line.substr(start));
  return result;
}

std::string CookieItem(std::string_view line) {
  const std::string item = line.find(';') != std::string_view::npos
                               ? TextBetween(line, kSetCookieLabel, ";")
                               : WithoutSetCookieLabels(line);
  return std::string(StripSpaces(item));
}

// Prepares and sends the request; the error text of the step that failed, or nullptr.
const char* SendRequest(HttpExchange& exchange, const UrlParts& parts, const std::string& object,
                        const WebAccessOptions& options, const std::string& send_cookies) {
  const std::uint32_t phase_ms = options.timeout_seconds > 0
                                     ? static_cast<std::uint32_t>(options.timeout_seconds) * 1000
                                     : kDefaultPhaseLimitMs;
  if (!exchange.SetTimeouts(phase_ms)) return kStatusNoTimeouts;
  if (!exchange.Connect(parts.host, parts.port)) return kStatusNoConnection;
  if (!exchange.OpenRequest(Verb(options.method), object, parts.secure)) return kStatusNoRequest;
  if (!options.user.empty() && !options.password.empty() &&
      !exchange.SetCredentials(kHttpAuthTargetServer, options.user, options.password)) {
    return kStatusNoCredentials;
  }
  if (!options.proxy_user.empty() && !options.proxy_password.empty() &&
      !exchange.SetCredentials(kHttpAuthTargetProxy, options.proxy_user, options.proxy_password)) {
    return kStatusNoCredentials;
  }
  if (!exchange.SetOption(kHttpOptionSecurityFlags, kHttpIgnoreCertificateErrors)) {
    return kStatusNoCertificateOption;
  }
  const bool cookie_option_set =
      send_cookies.empty() ? exchange.SetOption(kHttpOptionDisableFeature, kHttpDisableCookies)
                           : exchange.SetOption(kHttpOptionEnableFeature, 1);
  if (!cookie_option_set) return kStatusNoCookieOption;
  if (options.no_redirect &&
      !exchange.SetOption(kHttpOptionDisableFeature, kHttpDisableRedirects)) {
    return kStatusNoRedirectOption;
  }
  const std::string headers =
      BuildRequestHeaders({.extra_headers = options.extra_headers,
                           .method = options.method,
                           .send_cookies = send_cookies,
                           .default_headers = options.default_headers,
                           .normalise_header_names = options.normalise_header_names});
  // An empty block is not handed over at all.
  if (!headers.empty() && !exchange.AddHeaders(headers)) return kStatusNoHeaders;
  const std::string& body = options.post_bytes.empty() ? options.post_text : options.post_bytes;
  if (!exchange.Send(body)) return kStatusNotSent;
  if (!exchange.ReceiveResponse()) return kStatusNoResponse;
  return nullptr;
}

// The body as far as it can be read; a read that fails part-way keeps what came before it.
std::string ReadBody(HttpExchange& exchange, std::string* status) {
  std::string body;
  for (;;) {
    const std::optional<std::size_t> ready = exchange.DataAvailable();
    if (!ready || *ready == 0) break;
    const std::optional<std::string> bytes = exchange.Read(*ready);
    if (!bytes) {
      Write(status, kStatusReadFailed);
      break;
    }
    body += *bytes;
  }
  return body;
}

// The cookies and the redirect target of the response, line by line; the window is serviced
// between lines.
void TakeHeaderLines(MessagePump& pump, std::string_view headers, std::string& returned_cookies,
                     std::string* location) {
  std::size_t start = 0;
  while (start < headers.size()) {
    std::size_t end = FindText(headers, kLineBreak, start);
    if (end == std::string_view::npos) end = headers.size();
    const std::string_view line = headers.substr(start, end - start);
    start = end + kLineBreak.size();
    const std::size_t name_end = FindText(line, ": ");
    // A Set-Cookie line with nothing before its first ";" sets no cookie: an empty item would
    // leave a separator behind the last cookie.
    if (name_end != std::string_view::npos && line.substr(0, name_end) == kSetCookieName) {
      const std::string item = CookieItem(line);
      if (!item.empty()) returned_cookies += item + std::string(kCookieSeparator);
    }
    if (FindText(line.substr(0, kLocationLabel.size()), kLocationLabel, 0, true) == 0) {
      Write(location, std::string(line.substr(kLocationLabel.size())));
    }
    pump.DispatchPending();
  }
}

}  // namespace

std::string WebAccess(System& system, const std::string& url, const WebAccessOptions& options) {
  HttpTransport& transport = system.http;
  RegexObject regex;
  if (!transport.PlatformUsable()) {
    Write(options.status, kStatusNoPlatform);
    return {};
  }
  const std::optional<UrlParts> parts = transport.CrackUrl(url);
  if (!parts) {
    Write(options.status, kStatusBadAddress);
    return {};
  }
  const std::string object = parts->path.empty() ? "/" : parts->path + parts->extra;
  const std::unique_ptr<HttpExchange> exchange =
      transport.OpenSession(ProxyName(options.proxy, parts->secure), options.total_limit_ms);
  if (!exchange) {
    Write(options.status, kStatusNoSession);
    return {};
  }
  std::string send_cookies = options.send_cookies ? *options.send_cookies : std::string();
  if (const char* error = SendRequest(*exchange, *parts, object, options, send_cookies)) {
    Write(options.status, error);
    return {};
  }
  const std::string body = ReadBody(*exchange, options.status);

  const std::optional<std::string> headers = exchange->RawHeaders();
  if (!headers) return {};
  Write(options.response_headers, *headers);
  const std::size_t status_end = FindText(*headers, kLineBreak, kStatusOffset);
  if (headers->size() >= kStatusOffset) {
    Write(options.status, headers->substr(kStatusOffset, status_end == std::string::npos
                                                             ? std::string::npos
                                                             : status_end - kStatusOffset));
  }
  std::string returned_cookies = options.returned_cookies ? *options.returned_cookies : "";
  TakeHeaderLines(system.pump, *headers, returned_cookies, options.location);
  if (returned_cookies.ends_with(kCookieSeparator)) {
    returned_cookies.resize(returned_cookies.size() - kCookieSeparator.size());
  }
  if (options.merge_cookies && !send_cookies.empty()) {
    MergeCookies(send_cookies, returned_cookies);
    Write(options.send_cookies, send_cookies);
  }
  Write(options.returned_cookies, returned_cookies);
  Write(options.body, body);
  const std::string text = CharsetSniff(body.substr(0, body.find('\0')), body, regex);
  system.pump.DispatchPending();
  return text;
}

}  // namespace kelvo
