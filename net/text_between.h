// Finding text inside GBK text: a match never starts on the second byte of a double-byte
// character, and letter case is folded for ASCII letters only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvo {

// Stands for one double quote in a marker or a pattern.
inline constexpr char kQuotePlaceholder[] = "#引号";

// Byte offset of the first occurrence of `needle` at or after `from` that starts on a character
// boundary; npos when there is none. An empty needle is found at `from`.
std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from = 0,
                     bool ignore_case = false);
bool ContainsText(std::string_view text, std::string_view needle, bool ignore_case = false);
// Every "#引号" replaced by a double quote.
std::string WithQuotes(std::string_view text);
// Spaces removed from both ends.
std::string_view StripSpaces(std::string_view text);

// The text between the first `head` at or after `start` (1-based; below 1 counts as 1) and the
// first `tail` after it, both excluded and nothing trimmed. Empty when either is missing.
std::string TextBetween(std::string_view text, std::string_view head, std::string_view tail,
                        long start = 1, bool ignore_case = false);

}  // namespace kelvo
