// The request header block from any caller's lines and cookies, and the name normaliser on any
// block: normalising twice changes nothing, and what it keeps are lines with a colon.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "net/request_headers.h"

namespace {

void CheckNormalised(const std::string& block) {
  FUZZ_CHECK(!block.ends_with("\r\n"));
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string::npos) end = block.size();
    FUZZ_CHECK(std::string_view(block).substr(start, end - start).find(':') !=
               std::string_view::npos);
    start = end + 2;
  }
  FUZZ_CHECK(kelvo::NormaliseHeaderNames(block) == block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  kelvo::HeaderRequest request;
  request.method = input.ConsumeIntegralInRange(-1, 8);
  request.default_headers = input.ConsumeBool();
  request.normalise_header_names = input.ConsumeBool();
  request.send_cookies = input.ConsumeRandomLengthString(128);
  request.extra_headers = input.ConsumeRemainingBytesAsString();

  CheckNormalised(kelvo::NormaliseHeaderNames(request.extra_headers));
  const std::string block = kelvo::BuildRequestHeaders(request);
  if (request.default_headers) {
    // The caller may have brought any of them, in any case; the agent line is always there.
    std::string lower = block;
    for (char& c : lower)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    FUZZ_CHECK(lower.find("user-agent: ") != std::string::npos);
  }
  return 0;
}
