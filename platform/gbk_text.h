// GBK (code page 936) and UTF-16 for the logic: for the rare comparison that must be made in
// UTF-16 (process names as the wide snapshot reports them). Built from the Windows conversion
// on the Windows builds and from iconv on the host.
#pragma once

#include <string>

namespace kelvo {

// Bytes that are not GBK come out as the platform's conversion makes them; no terminator.
std::u16string GbkToUtf16Text(const std::string& gbk);
// Characters GBK cannot hold become "?"; no terminator.
std::string Utf16ToGbkText(const std::u16string& utf16);

}  // namespace kelvo
