// GBK <-> UTF-16 with code page 936, whatever the system's ANSI code page is.
#include "platform/win32/text_conversion.h"

#include <gtest/gtest.h>

namespace kelvo {
namespace {

struct ToWideCase {
  const char* label;
  std::string gbk;
  std::wstring expected;  // including the terminator element, if any
};

TEST(TextConversion, GbkToUtf16KeepsOneTerminatorAndStopsAtTheFirstNul) {
  const ToWideCase cases[] = {
      {"empty text gives an empty buffer", "", std::wstring()},
      {"NUL first counts as empty", std::string("\0ab", 3), std::wstring()},
      {"ASCII", "ab", std::wstring(L"ab\0", 3)},
      {"Chinese", "中文工具箱", std::wstring(L"中文工具箱\0", 6)},
      {"trail byte 0x5C stays inside its character", "乗\\x", std::wstring(L"乗\\x\0", 4)},
      {"stops at an embedded NUL", std::string("a\0b", 3), std::wstring(L"a\0", 2)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GbkToUtf16(c.gbk), c.expected) << c.label;
  }
}

TEST(TextConversion, NamesHoldingANulAreRefusedWhole) {
  EXPECT_EQ(GbkNameToUtf16(std::string("C:\\a\0b", 6)), std::nullopt);
  EXPECT_EQ(GbkNameToUtf16("C:\\测试"), std::optional(std::wstring(L"C:\\测试\0", 6)));
  EXPECT_EQ(GbkNameToUtf16(""), std::optional(std::wstring()));
}

struct ToGbkCase {
  const char* label;
  std::wstring_view utf16;
  std::string expected;
};

TEST(TextConversion, Utf16ToGbkReadsUpToTheFirstNulAndReplacesWhatGbkCannotHold) {
  const ToGbkCase cases[] = {
      {"empty", L"", ""},
      {"NUL first", std::wstring_view(L"\0ab", 3), ""},
      {"unterminated input ends at its end", std::wstring_view(L"abcd", 2), "ab"},
      {"stops at the first NUL", std::wstring_view(L"ab\0cd", 5), "ab"},
      {"Chinese", L"测试数据", "测试数据"},
      {"Thai is not in GBK", L"a\u0E01b", "a?b"},
      {"a lone surrogate", L"x\xD800y", "x?y"},
  };
  // The buffer-keeping form gives the same text, whatever the buffer held before.
  std::string reused = "a longer text left over from an earlier name";
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16ToGbk(c.utf16), c.expected) << c.label;
    Utf16ToGbkInto(c.utf16, reused);
    EXPECT_EQ(reused, c.expected) << c.label;
  }
  EXPECT_EQ(Utf16ToGbk(static_cast<const wchar_t*>(nullptr)), "");
}

TEST(TextConversion, ChineseTextsSurviveTheRoundTrip) {
  for (const std::string gbk : {"KelvoMAX工具箱_V0.10", "3DMAX重置完成！", "友情提醒", "乗俓僜",
                                "C:\\Users\\测试\\AppData\\Local\\Autodesk\\3dsMax"}) {
    EXPECT_EQ(Utf16ToGbk(GbkToUtf16(gbk)), gbk);
  }
}

}  // namespace
}  // namespace kelvo
