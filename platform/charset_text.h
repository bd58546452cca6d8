// Text in a character set that a web page declares, turned into GBK. Built from the Windows code
// pages on the Windows builds and from iconv on the host.
#pragma once

#include <optional>
#include <string>

namespace kelvo {

// nullopt when the character set is not known by that name.
std::optional<std::string> DecodeCharsetToGbk(const std::string& bytes, const std::string& charset);

}  // namespace kelvo
