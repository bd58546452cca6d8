// The start-up version check: the published version compared as a version, and what the user
// sees for each outcome.
#include "net/version_check.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/sim/simulated_system.h"

namespace kelvo {
namespace {

constexpr char kVersionPage[] = "https://127.0.0.1:8443/version.html";
constexpr char kDownloadPage[] = "https://127.0.0.1:8443/download.html";

std::string_view StripBlank(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \r\n");
  return first == std::string_view::npos
             ? ""
             : text.substr(first, text.find_last_not_of(" \r\n") - first + 1);
}

struct PublishedCase {
  const char* name;
  std::string published;
  enum Outcome { Continues, NewVersion, Unreadable } outcome;
};

class VersionCheckTest : public ::testing::TestWithParam<PublishedCase> {
 protected:
  sim::SimulatedSystem sim;
  VersionCheck check{sim.system(), {kVersionPage, kDownloadPage}};
};

TEST_P(VersionCheckTest, ComparesThePublishedVersionWithV010) {
  const PublishedCase& c = GetParam();
  const bool continues = check.StartUpMayContinue(c.published);
  EXPECT_EQ(continues, c.outcome == PublishedCase::Continues);
  switch (c.outcome) {
    case PublishedCase::Continues:
      EXPECT_TRUE(sim.dialogs.boxes().empty());
      EXPECT_TRUE(sim.shell.calls().empty());
      break;
    case PublishedCase::NewVersion:
      ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
      EXPECT_EQ(sim.dialogs.boxes()[0].text,
                "发现新版本" + std::string(StripBlank(c.published)) +
                    "即将跳转新版下载链接，若有网页密码限制请输入9274。");
      EXPECT_EQ(sim.dialogs.boxes()[0].title, "版本更新");
      ASSERT_EQ(sim.shell.calls().size(), 1u);
      EXPECT_EQ(sim.shell.calls()[0].operation, "Open");
      EXPECT_EQ(sim.shell.calls()[0].verb, "open");
      EXPECT_EQ(sim.shell.calls()[0].file, kDownloadPage);
      EXPECT_EQ(sim.shell.calls()[0].show, kShowNormal);
      break;
    case PublishedCase::Unreadable:
      ASSERT_EQ(sim.dialogs.boxes().size(), 1u);
      EXPECT_EQ(sim.dialogs.boxes()[0].text, "网络断开，与服务器连接断开。");
      EXPECT_EQ(sim.dialogs.boxes()[0].title, "通知");
      EXPECT_TRUE(sim.shell.calls().empty());
      break;
  }
  if (!sim.dialogs.boxes().empty()) {
    EXPECT_EQ(sim.dialogs.boxes()[0].style, kBoxOk | kBoxTaskModal);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Published, VersionCheckTest,
    ::testing::Values(
        PublishedCase{"Same", "V0.10", PublishedCase::Continues},
        PublishedCase{"SameWithTrailingSpace", "V0.10 ", PublishedCase::Continues},
        PublishedCase{"SameOnItsOwnLines", "\r\n V0.10\r\n", PublishedCase::Continues},
        PublishedCase{"SameWithAZeroPart", "V0.10.0", PublishedCase::Continues},
        PublishedCase{"NinthIsOlder", "V0.9", PublishedCase::Continues},
        PublishedCase{"FirstIsOlder", "V0.1", PublishedCase::Continues},
        PublishedCase{"LeadingZeroIsOlder", "V0.09", PublishedCase::Continues},
        PublishedCase{"Eleventh", "V0.11", PublishedCase::NewVersion},
        PublishedCase{"NextMajor", "V1.0", PublishedCase::NewVersion},
        PublishedCase{"Patch", "V0.10.1", PublishedCase::NewVersion},
        PublishedCase{"HugeNumber", "V0.99999999999999999999", PublishedCase::NewVersion},
        PublishedCase{"Empty", "", PublishedCase::Unreadable},
        PublishedCase{"OnlySpaces", "  ", PublishedCase::Unreadable},
        PublishedCase{"NoV", "0.11", PublishedCase::Unreadable},
        PublishedCase{"LowerCaseV", "v0.11", PublishedCase::Unreadable},
        PublishedCase{"TrailingDot", "V0.11.", PublishedCase::Unreadable},
        PublishedCase{"Words", "V0.11 请立即下载", PublishedCase::Unreadable},
        PublishedCase{"Markup", "V0.11<script>", PublishedCase::Unreadable},
        PublishedCase{"TooLong", "V" + std::string(40, '1'), PublishedCase::Unreadable}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VersionCheckFetch, TakesTheTextBetweenTheMarkersOfTheVersionPage) {
  sim::SimulatedSystem sim;
  sim.http.SetPage("<html><body>最新版本首V0.11最新版本尾 最新版本首V9.9最新版本尾</body></html>");
  VersionCheck check(sim.system(), {kVersionPage, kDownloadPage});
  EXPECT_EQ(check.FetchPublished(), "V0.11");
  ASSERT_EQ(sim.http.requests().size(), 1u);
  const sim::SimHttpRequest& request = sim.http.requests()[0];
  EXPECT_EQ(request.host, "127.0.0.1");
  EXPECT_EQ(request.port, 8443);
  EXPECT_EQ(request.object, "/version.html");
  EXPECT_EQ(request.verb, "GET");
  // Each phase keeps its 30 s; the whole fetch is bounded as well.
  EXPECT_EQ(request.timeout_ms, 30000u);
  EXPECT_EQ(request.total_limit_ms, 60000u);
}

TEST(VersionCheckFetch, AFailedFetchOrAMissingMarkerPublishesNothing) {
  for (const bool connects : {false, true}) {
    sim::SimulatedSystem sim;
    sim.http.SetPage("最新版本首V0.11");
    if (!connects) sim.http.FailStep(sim::HttpStep::Connect);
    VersionCheck check(sim.system(), {kVersionPage, kDownloadPage});
    const std::string published = check.FetchPublished();
    EXPECT_EQ(published, "");
    EXPECT_FALSE(check.StartUpMayContinue(published));
    EXPECT_EQ(sim.dialogs.texts(), std::vector<std::string>{"网络断开，与服务器连接断开。"});
  }
}

TEST(VersionCheckFetch, AUtf8VersionPageWithItsDeclarationIsRead) {
  sim::SimulatedSystem sim;
  // "最新版本首V0.10最新版本尾" in UTF-8.
  sim.http.SetPage(
      "<meta charset=\"utf-8\">\xE6\x9C\x80\xE6\x96\xB0\xE7\x89\x88\xE6\x9C\xAC\xE9\xA6\x96V0.10"
      "\xE6\x9C\x80\xE6\x96\xB0\xE7\x89\x88\xE6\x9C\xAC\xE5\xB0\xBE");
  VersionCheck check(sim.system(), {kVersionPage, kDownloadPage});
  EXPECT_EQ(check.FetchPublished(), "V0.10");
}

}  // namespace
}  // namespace kelvo
