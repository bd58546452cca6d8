#include "platform/win32/text_conversion.h"

#include <windows.h>

namespace kelvo {

std::wstring GbkToUtf16(const std::string& gbk) {
  if (gbk.empty() || gbk.front() == '\0') return {};
  // Asked with -1, Windows counts the terminator in both answers.
  const int length = ::MultiByteToWideChar(kGbkCodePage, 0, gbk.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  const int written = ::MultiByteToWideChar(kGbkCodePage, 0, gbk.c_str(), -1, wide.data(), length);
  if (written <= 0) return {};
  wide.resize(static_cast<std::size_t>(written));
  return wide;
}

std::optional<std::wstring> GbkNameToUtf16(const std::string& gbk) {
  if (gbk.find('\0') != std::string::npos) return std::nullopt;
  return GbkToUtf16(gbk);
}

std::string Utf16ToGbk(std::wstring_view utf16) {
  const std::wstring terminated(utf16.substr(0, utf16.find(L'\0')));
  if (terminated.empty()) return {};
  const int length =
      ::WideCharToMultiByte(kGbkCodePage, 0, terminated.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string gbk(static_cast<std::size_t>(length), '\0');
  const int written = ::WideCharToMultiByte(kGbkCodePage, 0, terminated.c_str(), -1, gbk.data(),
                                            length, nullptr, nullptr);
  if (written <= 1) return {};
  gbk.resize(static_cast<std::size_t>(written - 1));  // drop the terminator
  return gbk;
}

void Utf16ToGbkInto(std::wstring_view utf16, std::string& gbk) {
  utf16 = utf16.substr(0, utf16.find(L'\0'));
  gbk.clear();
  if (utf16.empty()) return;
  const int count = static_cast<int>(utf16.size());
  const int length =
      ::WideCharToMultiByte(kGbkCodePage, 0, utf16.data(), count, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return;
  gbk.resize(static_cast<std::size_t>(length));
  const int written = ::WideCharToMultiByte(kGbkCodePage, 0, utf16.data(), count, gbk.data(),
                                            length, nullptr, nullptr);
  gbk.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
}

std::string Utf16ToGbk(const wchar_t* utf16) {
  return utf16 == nullptr ? std::string() : Utf16ToGbk(std::wstring_view(utf16));
}

}  // namespace kelvo
