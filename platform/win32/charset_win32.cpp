// Declared character sets through the Windows code pages: the names web pages use, mapped to the
// code page that decodes them.
#include <windows.h>

#include <cctype>
#include <string_view>

#include "platform/charset_text.h"
#include "platform/gbk_text.h"

namespace kelvo {
namespace {

struct CharsetCodePage {
  std::string_view name;
  UINT code_page;
};

constexpr CharsetCodePage kCodePages[] = {
    {"utf-8", 65001},    {"utf8", 65001},        {"gbk", 936},           {"gb2312", 936},
    {"gb18030", 936},    {"big5", 950},          {"shift_jis", 932},     {"sjis", 932},
    {"euc-jp", 20932},   {"euc-kr", 949},        {"iso-8859-1", 28591},  {"latin1", 28591},
    {"us-ascii", 20127}, {"windows-1250", 1250}, {"windows-1251", 1251}, {"windows-1252", 1252},
    {"koi8-r", 20866},   {"iso-8859-2", 28592},
};

std::string LowerAscii(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::optional<std::string> DecodeCharsetToGbk(const std::string& bytes,
                                              const std::string& charset) {
  const std::string name = LowerAscii(charset);
  for (const CharsetCodePage& known : kCodePages) {
    if (known.name != name) continue;
    if (bytes.empty()) return std::string();
    const int in_length = static_cast<int>(bytes.size());
    const int length =
        ::MultiByteToWideChar(known.code_page, 0, bytes.data(), in_length, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::u16string wide(static_cast<std::size_t>(length), u'\0');
    ::MultiByteToWideChar(known.code_page, 0, bytes.data(), in_length,
                          reinterpret_cast<wchar_t*>(wide.data()), length);
    return Utf16ToGbkText(wide);
  }
  return std::nullopt;
}

}  // namespace kelvo
