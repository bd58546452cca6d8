// Declared character sets on the host: iconv knows them by the names web pages use.
#include <stdexcept>

#include "platform/charset_text.h"
#include "platform/gbk_text.h"
#include "platform/host/iconv_converter.h"

namespace kelvo {

std::optional<std::string> DecodeCharsetToGbk(const std::string& bytes,
                                              const std::string& charset) {
  try {
    return Utf16ToGbkText(DecodeToUtf16(bytes, charset.c_str()));
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

}  // namespace kelvo
