// GBK (code page 936) and UTF-16 at the edge of the program. The logic speaks GBK; Windows is
// called through its wide functions, so the conversion names code page 936 and never depends on
// the system's ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

inline constexpr unsigned kGbkCodePage = 936;

// The GBK text up to its first NUL byte as UTF-16, ready for a wide function. The result keeps the
// terminator as its last element (size() counts it), so a converted "ab" is {'a', 'b', L'\0'};
// an empty text (or one that starts with NUL) gives an empty wstring. c_str() of the result is a
// proper wide C string either way. Bytes that are not GBK become the code page's default
// character (no MB_ERR_INVALID_CHARS).
[[nodiscard]] std::wstring GbkToUtf16(const std::string& gbk);

// For names that select what a call acts on (paths, registry keys): the whole text or nothing.
// A NUL inside the text would silently name something shorter ("C:\a\0b" -> "C:\a"), so such a
// text gives nullopt. Otherwise the same as GbkToUtf16.
[[nodiscard]] std::optional<std::wstring> GbkNameToUtf16(const std::string& gbk);

// UTF-16 up to its first NUL (or its end) as GBK, without a terminator. Empty input, or input
// that starts with NUL, gives the empty text. Characters GBK cannot hold become the default
// character "?".
[[nodiscard]] std::string Utf16ToGbk(std::wstring_view utf16);
// A wide C string; nullptr gives the empty text.
[[nodiscard]] std::string Utf16ToGbk(const wchar_t* utf16);
// The same conversion into a buffer the caller keeps: a walk over many names (the once-a-second
// process lookup) allocates nothing once the buffer is large enough.
void Utf16ToGbkInto(std::wstring_view utf16, std::string& gbk);

}  // namespace kelvo
