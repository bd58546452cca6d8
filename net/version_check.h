// The start-up version check: the published version is fetched before the single-instance test
// and compared after it. Start-up never goes on without a page that could be read.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace kelvo {

// The program's own version, compared with the published one at every start.
inline constexpr char kOwnVersion[] = "V0.10";
inline constexpr char kVersionHeadMarker[] = "最新版本首";
inline constexpr char kVersionTailMarker[] = "最新版本尾";
inline constexpr char kNetworkLostText[] = "网络断开，与服务器连接断开。";
inline constexpr char kNetworkLostTitle[] = "通知";
inline constexpr char kNewVersionText[] = "发现新版本";
inline constexpr char kNewVersionTail[] = "即将跳转新版下载链接，若有网页密码限制请输入9274。";
inline constexpr char kNewVersionTitle[] = "版本更新";

// The whole fetch ends within this, whatever the server does; each phase keeps its own limit.
inline constexpr std::uint32_t kVersionFetchLimitMs = 60000;
// Longer than any version this program will publish.
inline constexpr std::size_t kLongestVersionText = 32;

// "V" and numbers separated by dots, compared number by number ("V1" equals "V1.0").
class ProgramVersion {
 public:
  // nullopt unless the text, spaces and line breaks around it trimmed, has that form.
  static std::optional<ProgramVersion> Parse(std::string_view text);
  const std::string& text() const { return text_; }
  friend std::strong_ordering operator<=>(const ProgramVersion& a, const ProgramVersion& b);
  friend bool operator==(const ProgramVersion& a, const ProgramVersion& b) {
    return (a <=> b) == 0;
  }

 private:
  std::string text_;                  // trimmed
  std::vector<std::string> numbers_;  // digits without leading zeros
};

struct VersionPages {
  std::string version_page;   // publishes the version between its markers
  std::string download_page;  // opened when a newer version exists
};

class VersionCheck {
 public:
  // fetch_limit_ms bounds the whole fetch; only tests that wait on slow servers shorten it.
  VersionCheck(System& system, VersionPages pages,
               std::uint32_t fetch_limit_ms = kVersionFetchLimitMs)
      : system_(system), pages_(std::move(pages)), fetch_limit_ms_(fetch_limit_ms) {}

  // Fetches the version page and takes the text between the markers; empty when the page could
  // not be read or lacks a marker.
  std::string FetchPublished();
  // False when start-up must end: the page was not read (or published no version), or a newer
  // version exists and the download page has been opened. The user has been told either way.
  [[nodiscard]] bool StartUpMayContinue(const std::string& published);

 private:
  System& system_;
  VersionPages pages_;
  std::uint32_t fetch_limit_ms_;
};

}  // namespace kelvo
