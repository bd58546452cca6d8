// One iconv conversion, owned: the host's stand-in for the Windows code page conversions.
#pragma once

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <stdexcept>
#include <string>

namespace kelvo {

class IconvConverter {
 public:
  IconvConverter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert");
  }
  ~IconvConverter() { ::iconv_close(cd_); }
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

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

// Bytes in the named character set as UTF-16; bytes that do not convert become U+FFFD, one per
// byte. Throws std::runtime_error when iconv does not know the character set.
std::u16string DecodeToUtf16(const std::string& bytes, const char* charset);

}  // namespace kelvo
