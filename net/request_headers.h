// The request header block the web access routine sends: the caller's lines, the default lines
// it lacks, names capitalised, keep-alive removed and the cookies added.
#pragma once

#include <string>

namespace kelvo {

inline constexpr int kMethodPost = 1;

struct HeaderRequest {
  std::string extra_headers{};  // the caller's lines, separated by "\r\n"
  int method = 0;
  std::string send_cookies{};
  bool default_headers = true;
  bool normalise_header_names = true;
};

// Lines that contain ":" keep their value; the first letter of the name and every letter after a
// "-" in it become upper case. Other lines are dropped; no "\r\n" follows the last line.
std::string NormaliseHeaderNames(const std::string& block);

std::string BuildRequestHeaders(const HeaderRequest& request);

}  // namespace kelvo
