#include "net/version_check.h"

#include "net/text_between.h"
#include "net/web_access.h"
#include "platform/plain_message_box.h"

namespace kelvo {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimmedSpacesAndLineBreaks(std::string_view text) {
  constexpr std::string_view kBlank = " \t\r\n";
  const std::size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlank) - first + 1);
}

}  // namespace

std::optional<ProgramVersion> ProgramVersion::Parse(std::string_view text) {
  const std::string_view trimmed = TrimmedSpacesAndLineBreaks(text);
  if (trimmed.size() < 2 || trimmed.size() > kLongestVersionText || trimmed[0] != 'V') {
    return std::nullopt;
  }
  ProgramVersion version;
  version.text_ = std::string(trimmed);
  std::size_t at = 1;
  for (;;) {
    const std::size_t start = at;
    while (at < trimmed.size() && IsDigit(trimmed[at]))
      ++at;
    if (at == start) return std::nullopt;
    std::string_view number = trimmed.substr(start, at - start);
    while (number.size() > 1 && number[0] == '0')
      number.remove_prefix(1);
    version.numbers_.emplace_back(number);
    if (at == trimmed.size()) break;
    if (trimmed[at] != '.') return std::nullopt;
    ++at;
  }
  // Trailing zero parts say nothing: V1 is V1.0.
  while (version.numbers_.size() > 1 && version.numbers_.back() == "0")
    version.numbers_.pop_back();
  return version;
}

std::strong_ordering operator<=>(const ProgramVersion& a, const ProgramVersion& b) {
  const std::size_t parts = std::max(a.numbers_.size(), b.numbers_.size());
  for (std::size_t i = 0; i < parts; ++i) {
    const std::string_view x = i < a.numbers_.size() ? std::string_view(a.numbers_[i]) : "0";
    const std::string_view y = i < b.numbers_.size() ? std::string_view(b.numbers_[i]) : "0";
    // Without leading zeros, a longer number is a larger one; equal lengths compare as digits.
    if (x.size() != y.size()) return x.size() <=> y.size();
    if (const auto order = x <=> y; order != 0) return order;
  }
  return std::strong_ordering::equal;
}

std::string VersionCheck::FetchPublished() {
  const std::string page =
      WebAccess(system_, pages_.version_page, {.total_limit_ms = fetch_limit_ms_});
  return TextBetween(page, kVersionHeadMarker, kVersionTailMarker);
}

bool VersionCheck::StartUpMayContinue(const std::string& published) {
  // A text that is no version counts as a page that could not be read: it never reaches the
  // message below.
  const std::optional<ProgramVersion> latest = ProgramVersion::Parse(published);
  if (!latest) {
    PlainMessageBox(system_, kNetworkLostText, kBoxOk, kNetworkLostTitle);
    return false;
  }
  if (*latest <= *ProgramVersion::Parse(kOwnVersion)) return true;
  PlainMessageBox(system_, kNewVersionText + latest->text() + kNewVersionTail, kBoxOk,
                  kNewVersionTitle);
  // Whether a browser came up or not, the program ends.
  (void)system_.shell.Open("open", pages_.download_page, "", "", kShowNormal, nullptr);
  return false;
}

}  // namespace kelvo
