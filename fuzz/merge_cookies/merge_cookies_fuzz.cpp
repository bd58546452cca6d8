// The cookie merge over any two cookie lists: both end up holding one list, without deleted
// cookies and without an item twice.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "net/merge_cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::string sent = input.ConsumeRandomLengthString(256);
  std::string returned = input.ConsumeRemainingBytesAsString();
  kelvo::MergeCookies(sent, returned);
  FUZZ_CHECK(sent == returned);

  std::set<std::string_view> seen;
  const std::string_view merged = returned;
  std::size_t start = 0;
  while (start <= merged.size() && !merged.empty()) {
    std::size_t end = merged.find("; ", start);
    if (end == std::string_view::npos) end = merged.size();
    const std::string_view item = merged.substr(start, end - start);
    FUZZ_CHECK(!item.ends_with("=deleted"));
    FUZZ_CHECK(seen.insert(item).second);
    start = end + 2;
  }
  return 0;
}
