#include "model/version_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/toolbox_layout.h"
#include "tests/support/sim/fake_toolbox_view.h"
#include "tests/unit/test_printing.h"

namespace kelvo {
namespace {

using ::testing::Each;
using ::testing::MatchesRegex;
using ::testing::SizeIs;

// Every per-release text of the catalogue, by name.
const std::vector<std::pair<const char*, std::function<std::string(MaxVersion)>>>& Entries() {
  static const std::vector<std::pair<const char*, std::function<std::string(MaxVersion)>>> kAll = {
      {"InstallDir", InstallDir},
      {"InstallScriptsDir", InstallScriptsDir},
      {"InstallStartupDir", InstallStartupDir},
      {"InstallGuardFile", InstallGuardFile},
      {"LaunchScriptFile", LaunchScriptFile},
      {"OpenCommand", OpenCommand},
      {"UserDirSuffix", UserDirSuffix},
      {"UserStartupDirSuffix CHS",
       [](MaxVersion r) { return UserStartupDirSuffix(r, UserLanguage::CHS); }},
      {"UserStartupDirSuffix ENU",
       [](MaxVersion r) { return UserStartupDirSuffix(r, UserLanguage::ENU); }},
      {"UserGuardFileSuffix CHS",
       [](MaxVersion r) { return UserGuardFileSuffix(r, UserLanguage::CHS); }},
      {"UserGuardFileSuffix ENU",
       [](MaxVersion r) { return UserGuardFileSuffix(r, UserLanguage::ENU); }},
  };
  return kAll;
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

TEST(VersionCatalogue, Release2014Entries) {
  const std::map<std::string, std::string> expected = {
      {"InstallDir", R"(C:\Program Files\Autodesk\3ds Max 2014\)"},
      {"InstallScriptsDir", R"(C:\Program Files\Autodesk\3ds Max 2014\scripts\)"},
      {"InstallStartupDir", R"(C:\Program Files\Autodesk\3ds Max 2014\scripts\startup)"},
      {"InstallGuardFile", R"(C:\Program Files\Autodesk\3ds Max 2014\scripts\startup\000.ms)"},
      {"LaunchScriptFile",
       R"(C:\Program Files\Autodesk\3ds Max 2014\scripts\startup\Kelvo_startup.ms)"},
      {"OpenCommand", R"("C:\Program Files\Autodesk\3ds Max 2014\\3dsmax.exe" "%1")"},
      {"UserDirSuffix", R"(\AppData\Local\Autodesk\3dsMax\2014 - 64bit)"},
      {"UserStartupDirSuffix CHS",
       R"(\AppData\Local\Autodesk\3dsMax\2014 - 64bit\CHS\scripts\startup)"},
      {"UserStartupDirSuffix ENU",
       R"(\AppData\Local\Autodesk\3dsMax\2014 - 64bit\ENU\scripts\startup)"},
      {"UserGuardFileSuffix CHS",
       R"(\AppData\Local\Autodesk\3dsMax\2014 - 64bit\CHS\scripts\startup\vrdematcleanbeta.ms)"},
      {"UserGuardFileSuffix ENU",
       R"(\AppData\Local\Autodesk\3dsMax\2014 - 64bit\ENU\scripts\startup\vrdematcleanbeta.ms)"},
  };
  for (const auto& [name, entry] : Entries()) {
    EXPECT_EQ(entry(MaxVersion::R2014), expected.at(name)) << name;
  }
}

// Each release's texts are the 2014 texts with the year replaced, and the year appears in each
// exactly once; no other release's year appears anywhere.
TEST(VersionCatalogue, EveryReleaseDiffersFrom2014OnlyInTheYear) {
  for (const MaxVersion release : AllReleases()) {
    const std::string year = std::to_string(Year(release));
    for (const auto& [name, entry] : Entries()) {
      SCOPED_TRACE(std::string(name) + " " + year);
      const std::string text = entry(release);
      EXPECT_EQ(Occurrences(text, year), 1u);
      for (const MaxVersion other : AllReleases()) {
        if (other != release) {
          EXPECT_EQ(Occurrences(text, std::to_string(Year(other))), 0u);
        }
      }
      std::string as_2014 = text;
      as_2014.replace(as_2014.find(year), year.size(), "2014");
      EXPECT_EQ(as_2014, entry(MaxVersion::R2014));
    }
  }
}

TEST(VersionCatalogue, Release2021WhenTheEighthRadioIsChecked) {
  sim::FakeToolboxView view;
  view.ChooseRadio(Control::单选框8);
  const std::optional<MaxVersion> release = ChosenRelease(view);
  ASSERT_EQ(release, MaxVersion::R2021);
  EXPECT_EQ(InstallStartupDir(*release),
            R"(C:\Program Files\Autodesk\3ds Max 2021\scripts\startup)");
  ASSERT_THAT(ProductCodes(*release), SizeIs(4));
  EXPECT_STREQ(ProductCodes(*release)[0], "15A2139B5B14D974F9277E44A8D298FA");
}

TEST(VersionCatalogue, OpenCommandKeepsTheDoubledBackslash) {
  const std::string command = OpenCommand(MaxVersion::R2020);
  EXPECT_EQ(command, R"("C:\Program Files\Autodesk\3ds Max 2020\\3dsmax.exe" "%1")");
  EXPECT_EQ(command.size(), 57u);
  EXPECT_EQ(Occurrences(command, R"(\\3dsmax.exe)"), 1u);
}

TEST(VersionCatalogue, ProductCodesShareExactlyTwoRegistrations) {
  std::map<std::string, std::vector<int>> years_of_code;
  std::size_t entries = 0;
  for (const MaxVersion release : AllReleases()) {
    for (const char* code : ProductCodes(release)) {
      EXPECT_THAT(code, MatchesRegex("[0-9A-F]{32}"));
      years_of_code[code].push_back(Year(release));
      ++entries;
    }
  }
  EXPECT_EQ(entries, 53u);
  EXPECT_EQ(years_of_code.size(), 51u);

  std::map<std::string, std::vector<int>> shared;
  for (const auto& [code, years] : years_of_code) {
    if (years.size() > 1) shared[code] = years;
  }
  const std::map<std::string, std::vector<int>> expected_shared = {
      {"43AC761985E43E948829C33479932D3D", {2016, 2017}},
      {"15A2139B5B14D974F9277E44A8D298FA", {2020, 2021}},
  };
  EXPECT_EQ(shared, expected_shared);

  // Where the shared codes stand decides when a cleaning removes them: 2016's nine codes end
  // with 0FAFF4C1... (the shared one is its seventh), 2017's seven end with the shared one, and
  // 2020 and 2021 both start with theirs.
  EXPECT_STREQ(ProductCodes(MaxVersion::R2016)[6], "43AC761985E43E948829C33479932D3D");
  EXPECT_STREQ(ProductCodes(MaxVersion::R2016).back(), "0FAFF4C1BBD6A7F43A686447D7608062");
  EXPECT_STREQ(ProductCodes(MaxVersion::R2017).back(), "43AC761985E43E948829C33479932D3D");
  for (const MaxVersion release : {MaxVersion::R2020, MaxVersion::R2021}) {
    EXPECT_STREQ(ProductCodes(release).front(), "15A2139B5B14D974F9277E44A8D298FA");
  }
}

// The catalogue and the window definition must name the same radio button for a release.
TEST(VersionCatalogue, RadioButtonsMatchTheWindowDefinition) {
  int expected_year = 2014;
  for (const MaxVersion release : AllReleases()) {
    EXPECT_EQ(Year(release), expected_year);
    EXPECT_EQ(RadioCaption(release), "3dsmax" + std::to_string(expected_year));
    const ControlDef& def = Definition(RadioButton(release));
    EXPECT_EQ(def.kind, ControlKind::RadioButton);
    EXPECT_EQ(def.caption, RadioCaption(release));
    ++expected_year;
  }
}

struct ChoiceCase {
  const char* name;
  std::vector<Control> checked;
  std::optional<MaxVersion> expected;
  friend void PrintTo(const ChoiceCase& c, std::ostream* out) { *out << c.name; }
};

class ChosenReleaseTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ChosenReleaseTest, ReadsTheRadioButtons) {
  sim::FakeToolboxView view;
  view.ClearRadios();
  for (const Control radio : GetParam().checked)
    view.SetChecked(radio, true);
  EXPECT_EQ(ChosenRelease(view), GetParam().expected);
}

using C = Control;
using V = MaxVersion;
INSTANTIATE_TEST_SUITE_P(
    VersionCatalogue, ChosenReleaseTest,
    ::testing::Values(
        ChoiceCase{"First", {C::单选框1}, V::R2014}, ChoiceCase{"Second", {C::单选框2}, V::R2015},
        ChoiceCase{"Third", {C::单选框3}, V::R2016}, ChoiceCase{"Fourth", {C::单选框4}, V::R2017},
        ChoiceCase{"Fifth", {C::单选框5}, V::R2018}, ChoiceCase{"Sixth", {C::单选框6}, V::R2019},
        ChoiceCase{"Seventh", {C::单选框7}, V::R2020}, ChoiceCase{"Eighth", {C::单选框8}, V::R2021},
        ChoiceCase{"Ninth", {C::单选框9}, V::R2022}, ChoiceCase{"None", {}, std::nullopt},
        ChoiceCase{"TwoCheckedLowestWins", {C::单选框7, C::单选框3}, V::R2016},
        ChoiceCase{"FirstAndLastCheckedFirstWins", {C::单选框9, C::单选框1}, V::R2014}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kelvo
