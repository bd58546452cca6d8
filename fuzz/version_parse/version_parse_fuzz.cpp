// The published version read from any text: a version that parses reads back as itself, and the
// comparison is a consistent order.
#include <fuzzer/FuzzedDataProvider.h>

#include <compare>
#include <string>

#include "fuzz/fuzz_check.h"
#include "net/version_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string first = input.ConsumeRandomLengthString(64);
  const std::string second = input.ConsumeRemainingBytesAsString();
  const auto a = kelvo::ProgramVersion::Parse(first);
  const auto b = kelvo::ProgramVersion::Parse(second);
  const auto own = kelvo::ProgramVersion::Parse(kelvo::kOwnVersion);
  FUZZ_CHECK(own);
  for (const auto& version : {a, b}) {
    if (!version) continue;
    FUZZ_CHECK(version->text().size() <= kelvo::kLongestVersionText);
    const auto again = kelvo::ProgramVersion::Parse(version->text());
    FUZZ_CHECK(again && *again == *version);
    FUZZ_CHECK((*version <=> *own) == (0 <=> (*own <=> *version)));
  }
  if (a && b) {
    FUZZ_CHECK((*a <=> *b) == (0 <=> (*b <=> *a)));
    // Transitive through the own version.
    if (*a <= *own && *own <= *b) FUZZ_CHECK(*a <= *b);
  }
  return 0;
}
