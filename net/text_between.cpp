#include "net/text_between.h"

namespace kelvo {
namespace {

// A lead byte takes the next byte with it only when that can be a second byte: a line break,
// ";" or "<" after a stray lead byte (a value cut in the middle of a character) stays itself.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x81 || byte > 0xFE || at + 1 >= text.size()) return 1;
  const auto next = static_cast<unsigned char>(text[at + 1]);
  return next >= 0x40 && next <= 0xFE && next != 0x7F ? 2 : 1;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchesAt(std::string_view text, std::size_t at, std::string_view needle, bool ignore_case) {
  if (text.size() - at < needle.size()) return false;
  if (!ignore_case) return text.compare(at, needle.size(), needle) == 0;
  // Folding only ASCII letters: a trail byte that looks like a letter is compared as it is,
  // because the needle's character boundaries match the text's from a common start.
  for (std::size_t i = 0; i < needle.size(); ++i) {
    if (LowerAscii(text[at + i]) != LowerAscii(needle[i])) return false;
  }
  return true;
}

}  // namespace

std::size_t FindText(std::string_view text, std::string_view needle, std::size_t from,
                     bool ignore_case) {
  for (std::size_t at = 0;; at += CharacterLength(text, at)) {
    if (at >= from && MatchesAt(text, at, needle, ignore_case)) return at;
    if (at >= text.size()) return std::string_view::npos;
  }
}

bool ContainsText(std::string_view text, std::string_view needle, bool ignore_case) {
  return FindText(text, needle, 0, ignore_case) != std::string_view::npos;
}

std::string WithQuotes(std::string_view text) {
  const std::string_view placeholder = kQuotePlaceholder;
  std::string result;
  std::size_t start = 0;
  for (std::size_t at = FindText(text, placeholder); at != std::string_view::npos;
       at = FindText(text, placeholder, start)) {
    result.append(text.substr(start, at - start)).push_back('"');
    start = at + placeholder.size();
  }
  result.append(text.substr(start));
  return result;
}

std::string_view StripSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string TextBetween(std::string_view text, std::string_view head, std::string_view tail,
                        long start, bool ignore_case) {
  const std::string head_text = WithQuotes(head);
  const std::string tail_text = WithQuotes(tail);
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  const std::size_t head_at = FindText(text, head_text, from, ignore_case);
  if (head_at == std::string_view::npos) return {};
  const std::size_t body_at = head_at + head_text.size();
  const std::size_t tail_at = FindText(text, tail_text, body_at, ignore_case);
  if (tail_at == std::string_view::npos) return {};
  return std::string(text.substr(body_at, tail_at - body_at));
}

}  // namespace kelvo
