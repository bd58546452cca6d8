// GBK and UTF-16 for the logic through the Windows conversion: whole texts, NULs included,
// whatever the system's ANSI code page.
#include "platform/gbk_text.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

TEST(GbkTextWindows, ConvertsWholeTextsBothWays) {
  struct Case {
    std::string gbk;
    std::u16string utf16;
  };
  // 工具 and 昞 (0x95 0x5C: a backslash as its second byte), a NUL inside.
  for (const Case& c : {Case{"", u""}, Case{"KelvoMAX\xB9\xA4\xBE\xDF.exe", u"KelvoMAX工具.exe"},
                        Case{"\x95\x5C", u"\u661E"}, Case{std::string("a\0b", 3), {u"a\0b", 3}}}) {
    EXPECT_EQ(GbkToUtf16Text(c.gbk), c.utf16);
    EXPECT_EQ(Utf16ToGbkText(c.utf16), c.gbk);
  }
  EXPECT_EQ(Utf16ToGbkText(u"a\u0E01b"), "a?b");
}

}  // namespace
}  // namespace kelvo
