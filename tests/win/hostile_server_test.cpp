// The start-up fetch through the real WinHTTP adapter against servers that misbehave on
// loopback: each one ends within the fetch's whole limit with the right outcome, the version read
// or the "network lost" message, and never a crash. The servers that only the whole limit ends
// get theirs from KELVO_FETCH_LIMIT_MS (the program's 60 s when it is not set), so that they need
// not take a minute each; every other server is held to the program's own 60 s.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/version_check.h"
#include "platform/win32/win32_system.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

// The boxes the check shows, recorded instead of shown; every box is answered OK.
class RecordedBoxes : public Dialogs {
 public:
  int ShowMessageBox(WindowHandle, const std::string& text, const std::string& title,
                     std::uint32_t) override {
    boxes.push_back(title + ": " + text);
    return kAnswerOk;
  }
  int ShowTimedMessageBox(WindowHandle owner, const std::string& text, const std::string& title,
                          std::uint32_t style, std::uint32_t) override {
    return ShowMessageBox(owner, text, title, style);
  }
  std::vector<std::string> boxes;
};

enum class Outcome { kVersionRead, kNetworkLost };

struct HostileCase {
  const char* name;
  const char* path;  // on the test server; "no-tls" and "closed" are servers of their own
  Outcome outcome;
  bool holds_until_limit;  // only the whole limit ends it
};

const HostileCase kCases[] = {
    {"no markers", "/hostile/no-markers", Outcome::kNetworkLost, false},
    {"tail before head", "/hostile/tail-before-head", Outcome::kNetworkLost, false},
    {"markers twice", "/hostile/markers-twice", Outcome::kVersionRead, false},
    {"10 MB body", "/hostile/ten-megabytes", Outcome::kVersionRead, false},
    {"empty body", "/hostile/empty-body", Outcome::kNetworkLost, false},
    {"zero bytes before the markers", "/hostile/zero-bytes", Outcome::kNetworkLost, false},
    {"unknown charset", "/hostile/unknown-charset", Outcome::kVersionRead, false},
    {"invalid UTF-8", "/hostile/invalid-utf8", Outcome::kVersionRead, false},
    {"one byte every 20 s", "/hostile/trickle", Outcome::kNetworkLost, true},
    {"silent after accepting", "/hostile/silent", Outcome::kNetworkLost, true},
    {"closed without an answer", "/hostile/closed-at-once", Outcome::kNetworkLost, false},
    {"reset mid-body", "/hostile/reset-mid-body", Outcome::kNetworkLost, false},
    {"redirect loop", "/hostile/redirect-loop", Outcome::kNetworkLost, false},
    {"404", "/hostile/not-found", Outcome::kNetworkLost, false},
    {"500", "/hostile/server-error", Outcome::kNetworkLost, false},
    {"failed TLS handshake", "no-tls", Outcome::kNetworkLost, false},
    {"closed port", "closed", Outcome::kNetworkLost, false},
};

std::uint32_t FetchLimitMs() {
  const std::string value = test::EnvironmentText("KELVO_FETCH_LIMIT_MS");
  const unsigned long limit = value.empty() ? 0 : std::strtoul(value.c_str(), nullptr, 10);
  return limit > 0 ? static_cast<std::uint32_t>(limit) : kVersionFetchLimitMs;
}

std::string FirstLine(const std::wstring& path) {
  const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  char buffer[64] = {};
  DWORD read = 0;
  if (!file || !::ReadFile(file.get(), buffer, sizeof buffer - 1, &read, nullptr)) return {};
  return std::string(buffer, read);
}

class HostileServerTest : public ::testing::TestWithParam<HostileCase> {
 protected:
  void SetUp() override {
    if (test::EnvironmentText("KELVO_TEST_SERVER").empty()) {
      GTEST_SKIP() << "KELVO_TEST_SERVER is not set";
    }
  }

  std::string Address(const std::string& path, const test::ClosedLoopbackPort& closed) {
    if (path == "closed") return "https://127.0.0.1:" + std::to_string(closed.port()) + "/";
    if (path == "no-tls") {
      // The server writes the port of its plain-text listener into its folder.
      const std::string folder = test::EnvironmentText("KELVO_TEST_SERVER_DIR");
      const std::string port = FirstLine(L"Z:" + test::Wide(folder) + L"/no-tls-port");
      return "https://127.0.0.1:" + port + "/version.html";
    }
    return test::EnvironmentText("KELVO_TEST_SERVER") + path;
  }

  Win32System platform;
  RecordedBoxes boxes;
};

TEST_P(HostileServerTest, EndsWithinTheWholeLimitWithTheRightOutcome) {
  const HostileCase& hostile = GetParam();
  const test::ClosedLoopbackPort closed;
  ASSERT_NE(closed.port(), 0);
  const std::string address = Address(hostile.path, closed);
  ASSERT_FALSE(address.ends_with(":/version.html")) << "no port for " << hostile.path;
  System& real = platform.system();
  System recorded{real.files, real.registry, real.processes,   real.windows,
                  boxes,      real.pump,     real.shell,       real.system_info,
                  real.http,  real.accounts, real.notify_area, real.kernel};
  const std::uint32_t limit_ms = hostile.holds_until_limit ? FetchLimitMs() : kVersionFetchLimitMs;
  VersionCheck check(recorded, {address, "https://127.0.0.1:9/download.html"}, limit_ms);

  const test::Stopwatch watch;
  const std::string published = check.FetchPublished();
  const std::int64_t elapsed = watch.ElapsedMs();
  const bool may_continue = check.StartUpMayContinue(published);

  // A little over the limit for the last wait to be given up and the handles closed.
  EXPECT_LT(elapsed, static_cast<std::int64_t>(limit_ms) + 3000) << hostile.name;
  if (hostile.holds_until_limit) {
    EXPECT_GE(elapsed, limit_ms - 100) << hostile.name;
  }
  std::printf("[ hostile  ] %-30s %6lld ms (limit %u ms) published \"%s\"\n", hostile.name,
              static_cast<long long>(elapsed), limit_ms, published.c_str());
  if (hostile.outcome == Outcome::kVersionRead) {
    EXPECT_EQ(published, kOwnVersion) << hostile.name;
    EXPECT_TRUE(may_continue);
    EXPECT_TRUE(boxes.boxes.empty());
  } else {
    EXPECT_FALSE(may_continue) << hostile.name << " published \"" << published << "\"";
    EXPECT_EQ(boxes.boxes,
              std::vector<std::string>{std::string(kNetworkLostTitle) + ": " + kNetworkLostText});
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, HostileServerTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) {
                           std::string name;
                           for (const char* c = info.param.name; *c != '\0'; ++c)
                             name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                           return name;
                         });

}  // namespace
}  // namespace kelvo
