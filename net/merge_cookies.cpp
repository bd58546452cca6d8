#include "net/merge_cookies.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "net/text_between.h"

namespace kelvo {
namespace {

constexpr std::string_view kSeparator = "; ";
constexpr std::string_view kDeleted = "=deleted";

// Empty items (an empty list, "; ; ") are no cookies and are left out.
std::vector<std::string> CookieItems(std::string_view list) {
  std::string text(StripSpaces(list));
  if (!text.empty() && text.back() == ';') text += ' ';
  std::vector<std::string> items;
  std::size_t start = 0;
  for (std::size_t at = FindText(text, kSeparator); at != std::string_view::npos;
       at = FindText(text, kSeparator, start)) {
    if (at > start) items.push_back(text.substr(start, at - start));
    start = at + kSeparator.size();
  }
  if (start < text.size()) items.push_back(text.substr(start));
  return items;
}

std::string_view CookieName(std::string_view item) {
  return StripSpaces(item.substr(0, item.find('=')));
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text += kSeparator;
    text += item;
  }
  return text;
}

}  // namespace

void MergeCookies(std::string& send_cookies, std::string& returned_cookies) {
  std::vector<std::string> merged = CookieItems(returned_cookies);
  const std::vector<std::string> returned = merged;
  for (const std::string& sent : CookieItems(send_cookies)) {
    const bool came_back = std::any_of(returned.begin(), returned.end(), [&](const auto& item) {
      return CookieName(item) == CookieName(sent);
    });
    if (!came_back) merged.push_back(sent);
  }
  std::vector<std::string> kept;
  for (const std::string& item : merged) {
    if (item.ends_with(kDeleted)) continue;
    if (std::find(kept.begin(), kept.end(), item) != kept.end()) continue;
    kept.push_back(item);
  }
  send_cookies = returned_cookies = Joined(kept);
}

}  // namespace kelvo
