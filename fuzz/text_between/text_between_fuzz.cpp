// The marker search over any text, markers and start: whatever it returns stands in the text
// between the markers it names, and a match never starts inside a double-byte character.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz/fuzz_check.h"
#include "net/text_between.h"

namespace {

bool IsLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

bool IsTrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// True when `at` is the first byte of a GBK character.
bool OnBoundary(const std::string& text, std::size_t at) {
  std::size_t i = 0;
  while (i < at) {
    const bool pair = IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() &&
                      IsTrailByte(static_cast<unsigned char>(text[i + 1]));
    i += pair ? 2 : 1;
  }
  return i == at;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const bool ignore_case = input.ConsumeBool();
  const long start = input.ConsumeIntegralInRange<long>(-2, 300);
  const std::string head = input.ConsumeRandomLengthString(16);
  const std::string tail = input.ConsumeRandomLengthString(16);
  const std::string text = input.ConsumeRemainingBytesAsString();

  const std::size_t from = static_cast<std::size_t>(start < 1 ? 0 : start - 1);
  const std::size_t found = kelvo::FindText(text, head, from, ignore_case);
  if (found != std::string::npos) {
    FUZZ_CHECK(found >= from && found + head.size() <= text.size());
    FUZZ_CHECK(OnBoundary(text, found));
    if (!ignore_case) FUZZ_CHECK(text.compare(found, head.size(), head) == 0);
  }

  const std::string between = kelvo::TextBetween(text, head, tail, start, ignore_case);
  FUZZ_CHECK(between.size() <= text.size());
  if (!ignore_case && !between.empty()) {
    // The placeholder in a marker stands for a quote, so the markers are compared as quoted.
    const std::string framed = kelvo::WithQuotes(head) + between + kelvo::WithQuotes(tail);
    FUZZ_CHECK(text.find(framed) != std::string::npos);
  }
  return 0;
}
