// The character-set step over any page: any meta declaration, any name, any bytes to decode.
#include <string>

#include "fuzz/fuzz_check.h"
#include "net/charset_sniff.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  const std::string text = body.substr(0, body.find('\0'));
  kelvo::RegexObject regex;
  const std::string page = kelvo::CharsetSniff(text, body, regex);
  // Without a declaration in the first bytes the page stays as it came.
  std::string head = text.substr(0, kelvo::kCharsetSniffBytes);
  for (char& c : head)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  if (head.find("charset=") == std::string::npos) FUZZ_CHECK(page == text);
  return 0;
}
