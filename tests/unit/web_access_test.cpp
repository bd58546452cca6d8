// The web access routine against the simulated transport: what it asks of the transport, what
// it makes of the response, and what each failing step leaves behind.
#include "net/web_access.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/sim/simulated_system.h"

namespace kelvo {
namespace {

using sim::HttpStep;
using Option = std::pair<std::uint32_t, std::uint32_t>;

constexpr char kUntouched[] = "untouched";
constexpr char kDefaultBlock[] =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: identity\r\n"
    "Accept-Language: zh-cn\r\n"
    "Cache-Control: no-cache";

// Every output the caller can ask for, each holding a mark until the routine writes it.
struct Outputs {
  std::string send_cookies;
  std::string returned_cookies;
  std::string response_headers = kUntouched;
  std::string location = kUntouched;
  std::string status = kUntouched;
  std::string body = kUntouched;

  WebAccessOptions Into(WebAccessOptions options) {
    options.send_cookies = &send_cookies;
    options.returned_cookies = &returned_cookies;
    options.response_headers = &response_headers;
    options.location = &location;
    options.status = &status;
    options.body = &body;
    return options;
  }
};

class WebAccessTest : public ::testing::Test {
 protected:
  std::string Fetch(const std::string& url, WebAccessOptions options = {}) {
    return WebAccess(sim.system(), url, out.Into(std::move(options)));
  }
  const sim::SimHttpRequest& request() { return sim.http.requests().back(); }

  sim::SimulatedSystem sim;
  Outputs out;
};

TEST_F(WebAccessTest, ABareHttpsAddressIsAPlainGetWithEveryDefault) {
  sim.http.SetPage("<p>hello</p>");
  EXPECT_EQ(Fetch("https://example.test"), "<p>hello</p>");
  const sim::SimHttpRequest& r = request();
  EXPECT_EQ(r.proxy, "");
  EXPECT_EQ(r.timeout_ms, 30000u);
  EXPECT_EQ(r.host, "example.test");
  EXPECT_EQ(r.port, 443);
  EXPECT_EQ(r.verb, "GET");
  EXPECT_EQ(r.object, "/");
  EXPECT_TRUE(r.secure);
  EXPECT_TRUE(r.credentials.empty());
  // Certificate errors ignored, the transport's own cookies off, redirects left on.
  EXPECT_EQ(r.options, (std::vector<Option>{{31, 0x3300}, {63, 1}}));
  EXPECT_EQ(r.headers, kDefaultBlock);
  EXPECT_EQ(r.sent_body, "");
  EXPECT_TRUE(r.closed);
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.body, "<p>hello</p>");
  EXPECT_EQ(out.location, kUntouched);
}

TEST_F(WebAccessTest, PathQueryAndPortMakeTheObjectName) {
  Fetch("http://example.test:8080/a/b.html?x=1");
  EXPECT_EQ(request().port, 8080);
  EXPECT_FALSE(request().secure);
  EXPECT_EQ(request().object, "/a/b.html?x=1");
}

TEST_F(WebAccessTest, PostWithALowerCaseContentTypeKeepsTheCallersLine) {
  Fetch("https://example.test/form",
        {.method = 1, .post_text = "a=1&b=中", .extra_headers = "content-type: text/plain"});
  EXPECT_EQ(request().verb, "POST");
  EXPECT_EQ(request().sent_body, "a=1&b=中");
  EXPECT_TRUE(request().headers->starts_with("Content-Type: text/plain\r\n"));
  EXPECT_EQ(request().headers->find("x-www-form-urlencoded"), std::string::npos);
}

TEST_F(WebAccessTest, PostBytesGoInsteadOfTheText) {
  Fetch("https://example.test/",
        {.method = 1, .post_text = "text", .post_bytes = std::string("\x01\0\x02", 3)});
  EXPECT_EQ(request().sent_body, std::string("\x01\0\x02", 3));
}

TEST_F(WebAccessTest, MethodsOutOfRangeAreGet) {
  const std::pair<int, const char*> cases[] = {
      {2, "HEAD"}, {7, "CONNECT"}, {8, "GET"}, {-1, "GET"}};
  for (const auto& [method, verb] : cases) {
    Fetch("https://example.test/", {.method = method});
    EXPECT_EQ(request().verb, verb) << "method " << method;
  }
}

TEST_F(WebAccessTest, TimeoutSecondsBecomeThePhaseLimit) {
  const std::pair<int, std::uint32_t> cases[] = {{10, 10000}, {0, 30000}, {-5, 30000}};
  for (const auto& [seconds, ms] : cases) {
    Fetch("https://example.test/", {.timeout_seconds = seconds});
    EXPECT_EQ(request().timeout_ms, ms) << seconds << " s";
  }
}

TEST_F(WebAccessTest, ProxyNameDependsOnTheScheme) {
  Fetch("http://example.test/", {.proxy = "127.0.0.1:3128"});
  EXPECT_EQ(request().proxy, "http=127.0.0.1:3128");
  Fetch("https://example.test/", {.proxy = "127.0.0.1:3128"});
  EXPECT_EQ(request().proxy, "127.0.0.1:3128");
}

TEST_F(WebAccessTest, CredentialsOnlyWhenBothPartsAreGiven) {
  Fetch("https://example.test/", {.user = "me", .proxy_password = "secret"});
  EXPECT_TRUE(request().credentials.empty());
  EXPECT_EQ(out.status, "200 OK");
  Fetch("https://example.test/",
        {.user = "me", .password = "pw", .proxy_user = "pu", .proxy_password = "pp"});
  EXPECT_EQ(request().credentials,
            (std::vector<sim::SimHttpCredentials>{{0, "me", "pw"}, {1, "pu", "pp"}}));
}

TEST_F(WebAccessTest, NoRedirectAndSentCookiesSetTheirOptions) {
  out.send_cookies = "s=1";
  Fetch("https://example.test/", {.no_redirect = true});
  EXPECT_EQ(request().options, (std::vector<Option>{{31, 0x3300}, {79, 1}, {63, 2}}));
  EXPECT_TRUE(request().headers->ends_with("\r\nCookie: s=1\r\n"));
}

TEST_F(WebAccessTest, SetCookieLinesAndLocationAreTakenFromTheHeaders) {
  sim.http.SetResponse({.raw_headers = "HTTP/1.1 302 Found\r\n"
                                       "Set-Cookie: a=1; Path=/; HttpOnly\r\n"
                                       "Set-Cookie:  b=2 \r\n"
                                       "Set-Cookie: ; Path=/\r\n"
                                       "Set-Cookie: \r\n"
                                       "set-cookie: c=3\r\n"
                                       "location: /first\r\n"
                                       "Location: https://example.test/next\r\n\r\n"});
  out.returned_cookies = "";
  Fetch("https://example.test/", {.no_redirect = true});
  EXPECT_EQ(out.returned_cookies, "a=1; b=2");
  EXPECT_EQ(out.location, "https://example.test/next");
  EXPECT_EQ(out.status, "302 Found");
  EXPECT_TRUE(out.response_headers.starts_with("HTTP/1.1 302 Found\r\nSet-Cookie: a=1;"));
}

TEST_F(WebAccessTest, ReturnedCookiesAreAppendedAndMergedWithTheSentOnes) {
  sim.http.SetResponse({.raw_headers = "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/\r\n"
                                       "Set-Cookie: b=deleted; Max-Age=0\r\n\r\n"});
  out.send_cookies = "a=0; c=3";
  out.returned_cookies = "z=9; ";
  Fetch("https://example.test/");
  EXPECT_EQ(out.returned_cookies, "z=9; a=1; c=3");
  EXPECT_EQ(out.send_cookies, "z=9; a=1; c=3");
}

TEST_F(WebAccessTest, AnErrorPageIsReturnedLikeAnyOther) {
  sim.http.SetResponse(
      {.raw_headers = "HTTP/1.1 404 Not Found\r\n\r\n", .chunks = {"<h1>gone</h1>"}});
  EXPECT_EQ(Fetch("https://example.test/missing"), "<h1>gone</h1>");
  EXPECT_EQ(out.status, "404 Not Found");
  EXPECT_EQ(out.body, "<h1>gone</h1>");
}

TEST_F(WebAccessTest, TheTextEndsAtAZeroByteWhileTheBodyKeepsEveryByte) {
  const std::string bytes("abc\0def", 7);
  sim.http.SetResponse({.chunks = {bytes.substr(0, 2), bytes.substr(2)}});
  EXPECT_EQ(Fetch("https://example.test/"), "abc");
  EXPECT_EQ(out.body, bytes);
}

TEST_F(WebAccessTest, AReadFailurePartWayKeepsWhatWasRead) {
  sim.http.SetResponse({.chunks = {"first ", "second ", "third"}, .failed_read = 2});
  EXPECT_EQ(Fetch("https://example.test/"), "first second ");
  EXPECT_EQ(out.body, "first second ");
  // The header block could still be read, so its status line replaces the read error.
  EXPECT_EQ(out.status, "200 OK");
}

TEST_F(WebAccessTest, AReadFailureAndUnreadableHeadersGiveNothingButTheError) {
  sim.http.SetResponse({.chunks = {"first ", "second"}, .failed_read = 1});
  sim.http.FailStep(HttpStep::RawHeaders);
  EXPECT_EQ(Fetch("https://example.test/"), "");
  EXPECT_EQ(out.status, kStatusReadFailed);
  EXPECT_EQ(out.body, kUntouched);
  EXPECT_EQ(out.response_headers, kUntouched);
}

TEST_F(WebAccessTest, AUtf8PageComesBackAsGbk) {
  sim.http.SetPage("<meta charset=\"utf-8\"><p>\xE6\x9C\x80\xE6\x96\xB0</p>");
  EXPECT_EQ(Fetch("https://example.test/"), "<meta charset=\"utf-8\"><p>最新</p>");
  EXPECT_EQ(out.body, "<meta charset=\"utf-8\"><p>\xE6\x9C\x80\xE6\x96\xB0</p>");
}

TEST_F(WebAccessTest, ANonWebAddressFailsToParse) {
  for (const char* url : {"example.test/page", "ftp://example.test/", ""}) {
    out.status = kUntouched;
    EXPECT_EQ(Fetch(url), "") << url;
    EXPECT_EQ(out.status, kStatusBadAddress) << url;
  }
}

struct FailingStep {
  const char* name;
  std::function<void(sim::SimHttp&)> fail;
  const char* status;
};

class WebAccessStepFailure : public WebAccessTest,
                             public ::testing::WithParamInterface<FailingStep> {};

TEST_P(WebAccessStepFailure, WritesItsTextAndNothingElse) {
  sim.http.SetPage("never read");
  GetParam().fail(sim.http);
  out.send_cookies = "";
  out.returned_cookies = "kept=1";
  EXPECT_EQ(Fetch("https://example.test/", {.user = "u", .password = "p"}), "");
  EXPECT_EQ(out.status, GetParam().status);
  EXPECT_EQ(out.returned_cookies, "kept=1");
  EXPECT_EQ(out.response_headers, kUntouched);
  EXPECT_EQ(out.location, kUntouched);
  EXPECT_EQ(out.body, kUntouched);
  EXPECT_TRUE(sim.http.requests().empty() || request().closed);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, WebAccessStepFailure,
    ::testing::Values(
        FailingStep{"Platform", [](auto& h) { h.FailStep(HttpStep::PlatformCheck); },
                    kStatusNoPlatform},
        FailingStep{"Address", [](auto& h) { h.FailStep(HttpStep::CrackUrl); }, kStatusBadAddress},
        FailingStep{"Session", [](auto& h) { h.FailStep(HttpStep::OpenSession); },
                    kStatusNoSession},
        FailingStep{"Timeouts", [](auto& h) { h.FailStep(HttpStep::SetTimeouts); },
                    kStatusNoTimeouts},
        FailingStep{"Connect", [](auto& h) { h.FailStep(HttpStep::Connect); }, kStatusNoConnection},
        FailingStep{"Request", [](auto& h) { h.FailStep(HttpStep::OpenRequest); },
                    kStatusNoRequest},
        FailingStep{"Credentials", [](auto& h) { h.FailStep(HttpStep::SetCredentials); },
                    kStatusNoCredentials},
        FailingStep{"Certificates", [](auto& h) { h.FailOption(31, 0x3300); },
                    kStatusNoCertificateOption},
        FailingStep{"Cookies", [](auto& h) { h.FailOption(63, 1); }, kStatusNoCookieOption},
        FailingStep{"Headers", [](auto& h) { h.FailStep(HttpStep::AddHeaders); }, kStatusNoHeaders},
        FailingStep{"Send", [](auto& h) { h.FailStep(HttpStep::Send); }, kStatusNotSent},
        FailingStep{"Receive", [](auto& h) { h.FailStep(HttpStep::ReceiveResponse); },
                    kStatusNoResponse}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WebAccessTest, TheRedirectOptionFailingWritesItsText) {
  sim.http.FailOption(63, 2);
  EXPECT_EQ(Fetch("https://example.test/", {.no_redirect = true}), "");
  EXPECT_EQ(out.status, kStatusNoRedirectOption);
  EXPECT_EQ(out.body, kUntouched);
}

}  // namespace
}  // namespace kelvo
