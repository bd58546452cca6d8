// GBK and UTF-16 both ways over any bytes: each conversion gives at most one unit per input
// byte, and GBK text that converts cleanly comes back byte for byte.
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "platform/gbk_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::u16string wide = kelvo::GbkToUtf16Text(bytes);
  FUZZ_CHECK(wide.size() <= bytes.size());
  if (wide.find(u'\uFFFD') == std::u16string::npos) {
    FUZZ_CHECK(kelvo::Utf16ToGbkText(wide) == bytes);
  }

  // The same bytes read as UTF-16 units, lone surrogates and all.
  std::u16string units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * 2);
  const std::string gbk = kelvo::Utf16ToGbkText(units);
  FUZZ_CHECK(gbk.size() <= units.size() * 2);
  return 0;
}
