// Separators in GBK paths and registry keys. A backslash byte can be the second half of a
// double-byte character ("\x95\x5C"), so the end and the parts of a path are found by walking the
// text character by character from its start.
#pragma once

#include <string_view>

namespace kelvo {

// True when the last character is one backslash (not the second byte of a wider character).
bool EndsWithBackslash(std::string_view text);
// The text without its trailing backslashes and forward slashes.
std::string_view WithoutTrailingSeparators(std::string_view text);
// The folder that holds the path's last part (trailing separators ignored); empty when the path
// has one part only.
std::string_view ParentFolder(std::string_view path);
// The text without its leading spaces.
std::string_view WithoutLeadingSpaces(std::string_view text);
// True when the path names no folder below a root: empty, ".", a drive ("C:", "C:\"), the
// current drive's root ("\"), a share ("\\server\share"), also when spelt with "." and "..",
// trailing dots and spaces, or the "\\?\" prefix, all of which Windows folds away.
bool NamesARoot(std::string_view path);
// Windows file names compare without regard to ASCII letter case; '/' and '\' are one separator.
bool SameWindowsPath(std::string_view a, std::string_view b);

}  // namespace kelvo
