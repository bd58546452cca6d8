// Pages that declare their character set in a meta tag come back as GBK.
#pragma once

#include <string>

#include "net/regex_object.h"

namespace kelvo {

// How far into the page a declaration is looked for.
inline constexpr std::size_t kCharsetSniffBytes = 1024;

// The page text, re-decoded from the whole body when its first 1024 bytes declare a character
// set other than gbk or gb2312 that the decoder knows; otherwise `text` unchanged.
std::string CharsetSniff(const std::string& text, const std::string& body, RegexObject& regex);

}  // namespace kelvo
