// The web access routine taking any response apart: any raw header block (status line, cookies,
// redirect target) and any body, delivered in any number of reads, through the simulated
// transport.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz/fuzz_check.h"
#include "net/web_access.h"
#include "tests/support/sim/simulated_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  kelvo::sim::SimHttpResponse response;
  response.raw_headers = input.ConsumeRandomLengthString(1024);
  const int reads = input.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < reads; ++i)
    response.chunks.push_back(input.ConsumeRandomLengthString(2048));
  if (input.ConsumeBool()) response.failed_read = input.ConsumeIntegralInRange<std::size_t>(0, 4);
  std::string send_cookies = input.ConsumeRandomLengthString(64);
  // The caller's cookies end in one separator at most, as the routine leaves them.
  std::string returned_cookies = input.ConsumeRandomLengthString(64);
  while (returned_cookies.ends_with("; ; "))
    returned_cookies.resize(returned_cookies.size() - 2);

  kelvo::sim::SimulatedSystem sim;
  sim.http.SetResponse(response);
  std::string headers, location, status, body;
  const std::string page = kelvo::WebAccess(sim.system(), "https://example.test/version.html",
                                            {.send_cookies = &send_cookies,
                                             .returned_cookies = &returned_cookies,
                                             .response_headers = &headers,
                                             .location = &location,
                                             .status = &status,
                                             .body = &body});
  if (!response.raw_headers.empty()) FUZZ_CHECK(headers == response.raw_headers);
  FUZZ_CHECK(!returned_cookies.ends_with("; "));
  FUZZ_CHECK(status.size() <= headers.size() || status == kelvo::kStatusReadFailed);
  return 0;
}
