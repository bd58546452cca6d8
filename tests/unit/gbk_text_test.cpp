// GBK and UTF-16 for the logic, as the host build converts them.
#include <gtest/gtest.h>

#include <string>

#include "platform/gbk_text.h"

namespace kelvo {
namespace {

struct TextCase {
  const char* name;
  std::string gbk;
  std::u16string utf16;
};

class GbkTextRoundTrip : public ::testing::TestWithParam<TextCase> {};

TEST_P(GbkTextRoundTrip, ConvertsBothWays) {
  EXPECT_EQ(GbkToUtf16Text(GetParam().gbk), GetParam().utf16);
  EXPECT_EQ(Utf16ToGbkText(GetParam().utf16), GetParam().gbk);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GbkTextRoundTrip,
    ::testing::Values(TextCase{"Empty", "", u""}, TextCase{"Ascii", "3dsmax.exe", u"3dsmax.exe"},
                      // 工 is 0xB9 0xA4; 昞 has 0x5C (a backslash) as its second byte.
                      TextCase{"Chinese", "\xB9\xA4\xBE\xDF\x95\x5C", u"\u5DE5\u5177\u661E"},
                      TextCase{"InnerNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GbkText, StandInsForWhatDoesNotConvert) {
  // A character GBK has no code for, a lone surrogate and one outside the basic plane.
  EXPECT_EQ(Utf16ToGbkText(u"a\u00E9b"),
            "a\xA8\xA6"
            "b");  // é exists in GBK
  EXPECT_EQ(Utf16ToGbkText(u"a\u0E01b"), "a?b");
  EXPECT_EQ(Utf16ToGbkText(std::u16string(u"a\xD800"
                                          u"b",
                                          3)),
            "a?b");
  EXPECT_EQ(Utf16ToGbkText(u"a\U0001F600b"), "a?b");
  // A lead byte without its trail byte, and one followed by a byte that cannot trail.
  EXPECT_EQ(GbkToUtf16Text("a\xB9"), u"a\uFFFD");
  EXPECT_EQ(GbkToUtf16Text("\xB9\x0A"
                           "b"),
            u"\uFFFD\nb");
}

}  // namespace
}  // namespace kelvo
