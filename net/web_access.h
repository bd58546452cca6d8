// One HTTP or HTTPS request in a single synchronous call; the response body comes back as GBK
// text. Only the address is required; every option below may be left as it is.
#pragma once

#include <cstdint>
#include <string>

#include "platform/system.h"

namespace kelvo {

// What goes into status when a step fails.
inline constexpr char kStatusNoPlatform[] = "700 当前系统不支持WinHttp服务!";
inline constexpr char kStatusBadAddress[] = "701 解析URL地址失败!";
inline constexpr char kStatusNoSession[] = "702 创建WinHttp会话失败!";
inline constexpr char kStatusNoConnection[] = "703 创建WinHttp连接失败!";
inline constexpr char kStatusNoRequest[] = "704 创建WinHttp请求失败!";
inline constexpr char kStatusNoTimeouts[] = "705 设置超时时间失败!";
inline constexpr char kStatusNoCredentials[] = "707 设置代理凭证失败!";
inline constexpr char kStatusNoCertificateOption[] = "忽略错误/证书错误  失败！";
inline constexpr char kStatusNoCookieOption[] = "708 禁止自动设置Cookies失败!";
inline constexpr char kStatusNoRedirectOption[] = "709 重定向设置失败!";
inline constexpr char kStatusNoHeaders[] = "710 设置协议头失败!";
inline constexpr char kStatusNotSent[] = "711 发送请求失败!";
inline constexpr char kStatusNoResponse[] = "712 服务器未响应!";
inline constexpr char kStatusReadFailed[] = "713 读取数据失败!";

// Each phase of a request is limited to this unless the caller says otherwise.
inline constexpr std::uint32_t kDefaultPhaseLimitMs = 30000;

// Outputs are written only when the call reaches the step that fills them; a null pointer means
// the caller does not want that output.
struct WebAccessOptions {
  int method = 0;  // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT
  std::string post_text{};
  std::string* send_cookies = nullptr;      // in and out: the merged list after a merge
  std::string* returned_cookies = nullptr;  // in and out: the response's cookies are appended
  std::string extra_headers{};              // lines separated by "\r\n"
  std::string* response_headers = nullptr;
  bool no_redirect = false;
  std::string user{};
  std::string password{};
  std::string proxy{};  // host and port; empty: a direct connection
  std::string proxy_user{};
  std::string proxy_password{};
  int timeout_seconds = 0;  // per phase; 0 or less: 30 seconds
  std::string* location = nullptr;
  std::string* status = nullptr;  // status code and reason, or an error text above
  std::string* body = nullptr;    // every byte of the body
  bool merge_cookies = true;
  bool default_headers = true;
  std::string post_bytes{};  // sent instead of post_text when not empty
  bool normalise_header_names = true;
  // Bounds the whole exchange, whatever the server does; 0 leaves it to the phase limits.
  std::uint32_t total_limit_ms = 0;
};

// The page text: the body up to its first zero byte, re-decoded to GBK when the page declares
// another character set. Empty when a step fails before the response headers arrive.
std::string WebAccess(System& system, const std::string& url, const WebAccessOptions& options = {});

}  // namespace kelvo
