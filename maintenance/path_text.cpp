#include "maintenance/path_text.h"

#include <string>
#include <vector>

namespace kelvo {
namespace {

// Bytes of the character that starts at `at`: a GBK lead byte takes the next byte with it.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  return byte >= 0x81 && byte <= 0xFE && at + 1 < text.size() ? 2 : 1;
}

bool IsSeparator(std::string_view character) {
  return character == "\\" || character == "/";
}

// The parts between separators, empty parts dropped.
std::vector<std::string_view> Parts(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t at = 0; at < path.size();) {
    const std::size_t length = CharacterLength(path, at);
    if (IsSeparator(path.substr(at, length))) {
      if (at > start) parts.push_back(path.substr(start, at - start));
      start = at + length;
    }
    at += length;
  }
  if (start < path.size()) parts.push_back(path.substr(start));
  return parts;
}

bool StartsWithSeparators(std::string_view path, std::size_t count) {
  if (path.size() < count) return false;
  for (std::size_t at = 0; at < count; ++at) {
    if (!IsSeparator(path.substr(at, 1))) return false;
  }
  return true;
}

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Upper-cased ASCII letters and one kind of separator; double-byte characters as they are.
std::string Folded(std::string_view path) {
  std::string folded;
  folded.reserve(path.size());
  for (std::size_t at = 0; at < path.size();) {
    const std::size_t length = CharacterLength(path, at);
    if (length == 2) {
      folded.append(path.substr(at, 2));
    } else {
      char c = path[at];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      folded.push_back(c == '/' ? '\\' : c);
    }
    at += length;
  }
  return folded;
}

}  // namespace

bool EndsWithBackslash(std::string_view text) {
  std::size_t last = 0;
  for (std::size_t at = 0; at < text.size(); at += CharacterLength(text, at))
    last = at;
  return !text.empty() && text.substr(last) == "\\";
}

std::string_view WithoutTrailingSeparators(std::string_view text) {
  std::size_t keep = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = CharacterLength(text, at);
    if (!IsSeparator(text.substr(at, length))) keep = at + length;
    at += length;
  }
  return text.substr(0, keep);
}

std::string_view ParentFolder(std::string_view path) {
  const std::string_view trimmed = WithoutTrailingSeparators(path);
  std::size_t last_separator = std::string_view::npos;
  for (std::size_t at = 0; at < trimmed.size();) {
    const std::size_t length = CharacterLength(trimmed, at);
    if (IsSeparator(trimmed.substr(at, length))) last_separator = at;
    at += length;
  }
  if (last_separator == std::string_view::npos) return {};
  return WithoutTrailingSeparators(trimmed.substr(0, last_separator));
}

std::string_view WithoutLeadingSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

bool NamesARoot(std::string_view path) {
  std::size_t root_names = 0;  // names that still belong to the root (server and share)
  if (path.starts_with("\\\\?\\") || path.starts_with("\\\\.\\")) {
    path.remove_prefix(4);
    if (Folded(path.substr(0, 4)) == "UNC\\") {
      path.remove_prefix(4);
      root_names = 2;
    }
  } else if (StartsWithSeparators(path, 2)) {
    path.remove_prefix(2);
    root_names = 2;
  }
  if (root_names == 0 && path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':') {
    path.remove_prefix(2);
  }
  std::size_t names = 0;
  for (std::string_view part : Parts(path)) {
    if (part == "..") {
      if (names > 0) --names;
      continue;
    }
    // Windows drops trailing dots and spaces of a name: "." and " " name nothing.
    const std::size_t kept = part.find_last_not_of(". ");
    if (kept != std::string_view::npos) ++names;
  }
  return names <= root_names;
}

bool SameWindowsPath(std::string_view a, std::string_view b) {
  return Folded(a) == Folded(b);
}

}  // namespace kelvo
