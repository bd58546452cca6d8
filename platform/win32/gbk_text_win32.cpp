// GBK and UTF-16 for the logic through the Windows conversion, code page 936 named explicitly.
// The whole text is converted, NULs included, with Windows' own stand-ins for what does not fit.
#include <windows.h>

#include "platform/gbk_text.h"

namespace kelvo {
namespace {

constexpr UINT kGbk = 936;

}  // namespace

std::u16string GbkToUtf16Text(const std::string& gbk) {
  if (gbk.empty()) return {};
  const int in_length = static_cast<int>(gbk.size());
  const int length = ::MultiByteToWideChar(kGbk, 0, gbk.data(), in_length, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  const int written = ::MultiByteToWideChar(kGbk, 0, gbk.data(), in_length, wide.data(), length);
  if (written <= 0) return {};
  return std::u16string(wide.begin(), wide.begin() + written);
}

std::string Utf16ToGbkText(const std::u16string& utf16) {
  if (utf16.empty()) return {};
  const std::wstring wide(utf16.begin(), utf16.end());
  const int in_length = static_cast<int>(wide.size());
  const int length =
      ::WideCharToMultiByte(kGbk, 0, wide.data(), in_length, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string gbk(static_cast<std::size_t>(length), '\0');
  const int written =
      ::WideCharToMultiByte(kGbk, 0, wide.data(), in_length, gbk.data(), length, nullptr, nullptr);
  if (written <= 0) return {};
  gbk.resize(static_cast<std::size_t>(written));
  return gbk;
}

}  // namespace kelvo
