#include "net/charset_sniff.h"

#include "platform/charset_text.h"

namespace kelvo {
namespace {

constexpr char kCharsetPattern[] = R"(<meta.+?charset=[^\w]?([-\w]+))";

}  // namespace

std::string CharsetSniff(const std::string& text, const std::string& body, RegexObject& regex) {
  std::string declared;
  if (regex.Run(kCharsetPattern, text.substr(0, kCharsetSniffBytes))) {
    declared = regex.SubmatchText(1, 1);
  }
  if (declared.empty() || declared == "gbk" || declared == "gb2312") return text;
  // A character set the decoder does not know leaves the page as it came.
  return DecodeCharsetToGbk(body, declared).value_or(text);
}

}  // namespace kelvo
