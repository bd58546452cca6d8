// The text helpers of the web access routine: marker search, header block, cookies, charset.
#include <gtest/gtest.h>

#include <string>

#include "net/charset_sniff.h"
#include "net/merge_cookies.h"
#include "net/request_headers.h"
#include "net/text_between.h"

namespace kelvo {
namespace {

struct BetweenCase {
  const char* name;
  std::string text;
  std::string head;
  std::string tail;
  long start;
  bool ignore_case;
  std::string expected;
};

class TextBetweenTest : public ::testing::TestWithParam<BetweenCase> {};

TEST_P(TextBetweenTest, FindsTheTextBetweenTheMarkers) {
  const BetweenCase& c = GetParam();
  EXPECT_EQ(TextBetween(c.text, c.head, c.tail, c.start, c.ignore_case), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextBetweenTest,
    ::testing::Values(
        BetweenCase{"Version", "<p>最新版本首V0.11最新版本尾</p>", "最新版本首", "最新版本尾", 1,
                    false, "V0.11"},
        BetweenCase{"TailMissing", "最新版本首V0.11", "最新版本首", "最新版本尾", 1, false, ""},
        BetweenCase{"HeadMissing", "V0.11最新版本尾", "最新版本首", "最新版本尾", 1, false, ""},
        BetweenCase{"MarkersTwice", "最新版本首A最新版本尾最新版本首B最新版本尾", "最新版本首",
                    "最新版本尾", 1, false, "A"},
        BetweenCase{"NothingTrimmed", "[ V0.10\r\n]", "[", "]", 1, false, " V0.10\r\n"},
        BetweenCase{"TailRightAfterHead", "[]", "[", "]", 1, false, ""},
        BetweenCase{"StartSkipsTheFirstHead", "[a][b]", "[", "]", 2, false, "b"},
        BetweenCase{"StartBelowOne", "[a]", "[", "]", -3, false, "a"},
        BetweenCase{"CaseIgnored", "<TITLE>x</Title>", "<title>", "</title>", 1, true, "x"},
        BetweenCase{"CaseKept", "<TITLE>x</Title>", "<title>", "</title>", 1, false, ""},
        BetweenCase{"QuotePlaceholder", "a=\"v\";", "a=#引号", "#引号", 1, false, "v"},
        // 昞 is 0x95 0x5C: its second byte is no "\" of its own.
        BetweenCase{"NoMatchOnASecondByte",
                    "\x95\x5C"
                    "a\\b\\",
                    "\\", "\\", 1, false, "b"},
        // A lead byte before "<" is a character cut short, not the start of a pair.
        BetweenCase{"MarkerAfterAStrayLeadByte", "\xD6<a>", "<", ">", 1, false, "a"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RequestHeaders, ABareGetHasTheFiveDefaultLinesWithoutATrailingBreak) {
  EXPECT_EQ(BuildRequestHeaders({}),
            "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
            "Accept: text/html, application/xhtml+xml, */*\r\n"
            "Accept-Encoding: identity\r\n"
            "Accept-Language: zh-cn\r\n"
            "Cache-Control: no-cache");
}

TEST(RequestHeaders, CallerLinesReplaceDefaultsAndAreCapitalised) {
  const std::string block = BuildRequestHeaders({.extra_headers = "content-type: text/plain\r\n"
                                                                  "x-my-header: a-b\r\n"
                                                                  "no colon here\r\n"
                                                                  "user-agent: me",
                                                 .method = kMethodPost});
  EXPECT_EQ(block,
            "Content-Type: text/plain\r\n"
            "X-My-Header: a-b\r\n"
            "User-Agent: me\r\n"
            "Accept: text/html, application/xhtml+xml, */*\r\n"
            "Accept-Encoding: identity\r\n"
            "Accept-Language: zh-cn\r\n"
            "Cache-Control: no-cache");
}

TEST(RequestHeaders, PostGetsTheFormContentType) {
  EXPECT_TRUE(ContainsText(BuildRequestHeaders({.method = kMethodPost}),
                           "Content-Type: application/x-www-form-urlencoded\r\n"));
  EXPECT_FALSE(ContainsText(BuildRequestHeaders({.method = 3}), "Content-Type"));
}

TEST(RequestHeaders, KeepAliveIsRemovedOnlyWhenTheFirstConnectionLineSaysSo) {
  EXPECT_EQ(BuildRequestHeaders(
                {.extra_headers = "Connection: keep-alive\r\nA: 1", .default_headers = false}),
            "A: 1");
  EXPECT_EQ(
      BuildRequestHeaders({.extra_headers = "Connection: close\r\nA: 1", .default_headers = false}),
      "Connection: close\r\nA: 1");
}

TEST(RequestHeaders, CookiesAreAddedUnlessTheBlockHasOne) {
  EXPECT_EQ(BuildRequestHeaders({.send_cookies = "a=1; b=2", .default_headers = false}),
            "\r\nCookie: a=1; b=2\r\n");
  EXPECT_EQ(BuildRequestHeaders(
                {.extra_headers = "A: 1", .send_cookies = "cookie: a=1", .default_headers = false}),
            "A: 1\r\ncookie: a=1\r\n");
  EXPECT_EQ(BuildRequestHeaders(
                {.extra_headers = "Cookie: z=9", .send_cookies = "a=1", .default_headers = false}),
            "Cookie: z=9");
}

TEST(RequestHeaders, ALineBreakAfterAStrayLeadByteStillEndsTheLine) {
  // Otherwise the line without a colon would ride along inside the line before it.
  EXPECT_EQ(NormaliseHeaderNames("a: \xD6\r\nno colon\r\nb: 2"), "A: \xD6\r\nB: 2");
}

TEST(RequestHeaders, NothingAskedForGivesAnEmptyBlock) {
  EXPECT_EQ(BuildRequestHeaders({.default_headers = false}), "");
  EXPECT_EQ(
      BuildRequestHeaders(
          {.extra_headers = "as-is: 1", .default_headers = false, .normalise_header_names = false}),
      "as-is: 1\r\n");
}

TEST(MergeCookiesTest, SentCookiesJoinTheReturnedOnesAndDeletedOnesGo) {
  struct Case {
    std::string sent, returned, merged;
  };
  const Case cases[] = {
      {"a=0; c=3", "a=1; b=deleted", "a=1; c=3"}, {"", "a=1; b=2", "a=1; b=2"}, {"a=1;", "", "a=1"},
      {" x=1 ; y=2 ", "y=3; y=3", "y=3; x=1 "},   {"flag", "b=2", "b=2; flag"},
  };
  for (const Case& c : cases) {
    std::string sent = c.sent;
    std::string returned = c.returned;
    MergeCookies(sent, returned);
    EXPECT_EQ(returned, c.merged) << "sent " << c.sent << ", returned " << c.returned;
    EXPECT_EQ(sent, c.merged);
  }
}

struct SniffCase {
  const char* name;
  std::string page;
  std::string expected;
};

// "中文" in UTF-8 and in GBK.
const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kGbkChinese = "中文";

class CharsetSniffTest : public ::testing::TestWithParam<SniffCase> {};

TEST_P(CharsetSniffTest, DecodesOnlyWhatDeclaresAnotherCharset) {
  RegexObject regex;
  EXPECT_EQ(CharsetSniff(GetParam().page, GetParam().page, regex), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CharsetSniffTest,
    ::testing::Values(
        SniffCase{"Utf8", "<meta charset=\"utf-8\">" + kUtf8Chinese,
                  "<meta charset=\"utf-8\">" + kGbkChinese},
        SniffCase{"Utf8InContentType",
                  "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r\n" +
                      kUtf8Chinese,
                  "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\r\n" +
                      kGbkChinese},
        SniffCase{"Gbk", "<meta charset=gbk>" + kGbkChinese, "<meta charset=gbk>" + kGbkChinese},
        SniffCase{"Gb2312", "<meta charset=gb2312>" + kGbkChinese,
                  "<meta charset=gb2312>" + kGbkChinese},
        SniffCase{"NoDeclaration", "<p>" + kUtf8Chinese, "<p>" + kUtf8Chinese},
        SniffCase{"DeclarationAfterByte1024",
                  std::string(1020, ' ') + "<meta charset=utf-8>" + kUtf8Chinese,
                  std::string(1020, ' ') + "<meta charset=utf-8>" + kUtf8Chinese},
        SniffCase{"UnknownCharset", "<meta charset=x-none>" + kUtf8Chinese,
                  "<meta charset=x-none>" + kUtf8Chinese},
        // "." stops at a line feed: the meta and the charset must share a line.
        SniffCase{"DeclarationOnTheNextLine", "<meta\ncharset=utf-8>" + kUtf8Chinese,
                  "<meta\ncharset=utf-8>" + kUtf8Chinese}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvo
