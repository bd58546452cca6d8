#include "net/request_headers.h"

#include <string_view>

#include "net/text_between.h"

namespace kelvo {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

struct DefaultHeader {
  std::string_view probe;
  std::string_view line;
  bool post_only;
};

// In this order, each only when the block does not name it yet.
constexpr DefaultHeader kDefaultHeaders[] = {
    {"User-Agent: ",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n",
     false},
    {"Accept: ", "Accept: text/html, application/xhtml+xml, */*\r\n", false},
    {"Accept-Encoding: ", "Accept-Encoding: identity\r\n", false},
    {"Accept-Language: ", "Accept-Language: zh-cn\r\n", false},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded\r\n", true},
    {"Cache-Control: ", "Cache-Control: no-cache\r\n", false},
};

constexpr std::string_view kConnection = "Connection";
constexpr std::string_view kKeepAliveLine = "Connection: keep-alive\r\n";
constexpr std::string_view kCookieProbe = "Cookie:";

char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string CapitalisedName(std::string_view name) {
  std::string result(name);
  for (std::size_t i = 0; i < result.size(); ++i) {
    if (i == 0 || result[i - 1] == '-') result[i] = UpperAscii(result[i]);
  }
  return result;
}

// The first line beginning with "Connection" says keep-alive: every such line goes.
void RemoveKeepAlive(std::string& block) {
  if (!ContainsText(block, kConnection)) return;
  std::size_t line_start = 0;
  while (line_start < block.size() && block.compare(line_start, kConnection.size(), kConnection)) {
    const std::size_t next = FindText(block, kLineBreak, line_start);
    if (next == std::string::npos) return;
    line_start = next + kLineBreak.size();
  }
  if (line_start >= block.size()) return;
  const std::size_t line_end = FindText(block, kLineBreak, line_start);
  const std::string_view line = std::string_view(block).substr(
      line_start, line_end == std::string::npos ? std::string::npos : line_end - line_start);
  constexpr std::string_view kValueStart = "Connection: ";
  if (!line.starts_with(kValueStart) || line.substr(kValueStart.size()) != "keep-alive") return;
  for (std::size_t at = FindText(block, kKeepAliveLine); at != std::string::npos;
       at = FindText(block, kKeepAliveLine, at)) {
    block.erase(at, kKeepAliveLine.size());
  }
}

}  // namespace

std::string NormaliseHeaderNames(const std::string& block) {
  std::string result;
  bool first = true;
  std::size_t start = 0;
  while (start <= block.size()) {
    std::size_t end = FindText(block, kLineBreak, start);
    if (end == std::string::npos) end = block.size();
    const std::string_view line = std::string_view(block).substr(start, end - start);
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
      if (!first) result += kLineBreak;
      first = false;
      result += CapitalisedName(line.substr(0, colon));
      result += line.substr(colon);
    }
    start = end + kLineBreak.size();
  }
  return result;
}

std::string BuildRequestHeaders(const HeaderRequest& request) {
  std::string block;
  if (!request.extra_headers.empty()) {
    block = request.extra_headers;
    block += kLineBreak;
  }
  if (request.default_headers) {
    for (const DefaultHeader& header : kDefaultHeaders) {
      if (header.post_only && request.method != kMethodPost) continue;
      if (!ContainsText(block, header.probe, true)) block += header.line;
    }
  }
  if (request.normalise_header_names) block = NormaliseHeaderNames(block);
  RemoveKeepAlive(block);
  if (!ContainsText(block, kCookieProbe, true) && !request.send_cookies.empty()) {
    block += ContainsText(request.send_cookies, kCookieProbe, true) ? "\r\n" : "\r\nCookie: ";
    block += request.send_cookies;
    block += kLineBreak;
  }
  return block;
}

}  // namespace kelvo
