// GBK and UTF-16 on the host, through glibc's iconv. Windows turns what it cannot convert into a
// stand-in character rather than failing; this does the same: a character GBK cannot hold becomes
// "?", and bytes that are not GBK become U+FFFD, one per byte.
#include <cstring>

#include "platform/gbk_text.h"
#include "platform/host/iconv_converter.h"

namespace kelvo {
namespace {

void AppendUnit(std::string& utf16le, char16_t unit) {
  utf16le.push_back(static_cast<char>(unit & 0xFF));
  utf16le.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

std::u16string DecodeToUtf16(const std::string& bytes, const char* charset) {
  IconvConverter converter("UTF-16LE", charset);
  std::string utf16le;
  const char* in = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    if (converter.Run(in, left, utf16le) == 0) break;
    AppendUnit(utf16le, u'\uFFFD');  // not in the character set, or cut off at the end
    ++in;
    --left;
  }
  std::u16string text(utf16le.size() / 2, u'\0');
  std::memcpy(text.data(), utf16le.data(), text.size() * 2);
  return text;
}

std::u16string GbkToUtf16Text(const std::string& gbk) {
  return DecodeToUtf16(gbk, "GBK");
}

std::string Utf16ToGbkText(const std::u16string& utf16) {
  IconvConverter converter("GBK", "UTF-16LE");
  std::string gbk;
  std::string bytes(utf16.size() * 2, '\0');
  std::memcpy(bytes.data(), utf16.data(), bytes.size());
  const char* in = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    if (converter.Run(in, left, gbk) == 0) break;
    // One character GBK has no code for: a surrogate pair counts as one.
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(in[0]) |
                                            (static_cast<unsigned char>(in[1]) << 8));
    std::size_t skip = 2;
    if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
      const auto next = static_cast<char16_t>(static_cast<unsigned char>(in[2]) |
                                              (static_cast<unsigned char>(in[3]) << 8));
      if (next >= 0xDC00 && next <= 0xDFFF) skip = 4;
    }
    gbk.push_back('?');
    in += skip;
    left -= skip;
  }
  return gbk;
}

}  // namespace kelvo
