// GBK and UTF-16 on the host, through glibc's iconv. Windows turns what it cannot convert into a
// stand-in character rather than failing; this does the same: a character GBK cannot hold becomes
// "?", and bytes that are not GBK become U+FFFD, one per byte.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "platform/gbk_text.h"

namespace kelvo {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert");
  }
  ~Converter() { ::iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can. Stops at the first input it cannot take, leaving `in` there;
  // answers errno for that stop (0 when everything went).
  int Run(const char*& in, std::size_t& in_left, std::string& out) {
    char buffer[256];
    while (in_left > 0) {
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      char* in_ptr = const_cast<char*>(in);
      const std::size_t done = ::iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      const int error = done == static_cast<std::size_t>(-1) ? errno : 0;
      in = in_ptr;
      out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
      if (error != 0 && error != E2BIG) return error;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

void AppendUnit(std::string& utf16le, char16_t unit) {
  utf16le.push_back(static_cast<char>(unit & 0xFF));
  utf16le.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

std::u16string GbkToUtf16Text(const std::string& gbk) {
  Converter converter("UTF-16LE", "GBK");
  std::string utf16le;
  const char* in = gbk.data();
  std::size_t left = gbk.size();
  while (left > 0) {
    if (converter.Run(in, left, utf16le) == 0) break;
    AppendUnit(utf16le, u'\uFFFD');  // not GBK, or a lead byte cut off at the end
    ++in;
    --left;
  }
  std::u16string text(utf16le.size() / 2, u'\0');
  std::memcpy(text.data(), utf16le.data(), text.size() * 2);
  return text;
}

std::string Utf16ToGbkText(const std::u16string& utf16) {
  Converter converter("GBK", "UTF-16LE");
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
