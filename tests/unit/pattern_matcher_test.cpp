// The web pages' pattern dialect: what it matches, what it refuses, and that a pattern which
// backtracks without end gives up within its step budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/pattern_matcher.h"
#include "net/regex_object.h"

namespace kelvo {
namespace {

enum class Outcome { kRefused, kNoMatch, kMatch, kOutOfSteps };

struct MatchCase {
  const char* pattern;
  std::string subject;
  bool case_sensitive;
  Outcome outcome;
  const char* whole = "";   // the first match
  const char* group1 = "";  // its first capture group, when the pattern has one
};

const MatchCase kCases[] = {
    // Lazy quantifiers take as little as lets the rest match; greedy ones as much.
    {"<.+?>", "<a><b>", true, Outcome::kMatch, "<a>"},
    {"<.+>", "<a><b>", true, Outcome::kMatch, "<a><b>"},
    {"(a+?)a", "aaa", true, Outcome::kMatch, "aa", "a"},
    {"x(a*?)b", "xaab", true, Outcome::kMatch, "xaab", "aa"},
    {"x(a*?)", "xaa", true, Outcome::kMatch, "x", ""},
    {"a??", "a", true, Outcome::kMatch, ""},
    {"(a?)a", "a", true, Outcome::kMatch, "a", ""},
    // Classes: "-" first or last is itself, ranges, negation, shorthands inside.
    {"[-\\w]+", "; utf-8;", true, Outcome::kMatch, "utf-8"},
    {"[a-]+", "b-a-", true, Outcome::kMatch, "-a-"},
    {"[0-9a-f]+", "zz3fa9g", true, Outcome::kMatch, "3fa9"},
    {"[^\\w]?([-\\w]+)", "=\"gb2312\"", true, Outcome::kMatch, "\"gb2312", "gb2312"},
    {"[\\]\\\\]+", "a]\\]", true, Outcome::kMatch, "]\\]"},
    // ASCII letters fold only when case does not matter, also in classes and negated ones.
    {"META", "<meta", false, Outcome::kMatch, "meta"},
    {"META", "<meta", true, Outcome::kNoMatch},
    {"[a-c]+", "xABCD", false, Outcome::kMatch, "ABC"},
    {"[^a]", "Ab", false, Outcome::kMatch, "b"},
    {"\xD6\xD0+", "\xD6\xD0\xD6\xD0", true, Outcome::kMatch, "\xD6\xD0\xD6\xD0"},
    // "." stops at a line feed only; "^" and "$" see lines when multi-line (the default).
    {"a.+b", "a\nb", true, Outcome::kNoMatch},
    {"a.b", "a\rb", true, Outcome::kMatch, "a\rb"},
    {"^b$", "a\nb\nc", true, Outcome::kMatch, "b"},
    {"\\d+\\.\\d+\\s\\S", "v1.25 x", true, Outcome::kMatch, "1.25 x"},
    {"(cat|dog)s", "dogs", true, Outcome::kMatch, "dogs", "dog"},
    {"(a|ab)(c|bcd)", "abcd", true, Outcome::kMatch, "abcd", "a"},
    // A loop pass that consumes nothing ends the loop instead of spinning.
    {"(a*)*b", "aab", true, Outcome::kMatch, "aab", "aa"},
    {"(a?)+", "", true, Outcome::kMatch, "", ""},
    // Anything outside the dialect is refused rather than guessed at.
    {"a{2}", "aa", true, Outcome::kRefused},
    {"(?:a)", "a", true, Outcome::kRefused},
    {"(a", "a", true, Outcome::kRefused},
    {"a)", "a", true, Outcome::kRefused},
    {"[a", "a", true, Outcome::kRefused},
    {"[]a]", "a", true, Outcome::kRefused},
    {"[z-a]", "a", true, Outcome::kRefused},
    {"[\\w-z]", "a", true, Outcome::kRefused},
    {"*a", "a", true, Outcome::kRefused},
    {"a**", "a", true, Outcome::kRefused},
    {"a+?+", "a", true, Outcome::kRefused},
    {"^*", "a", true, Outcome::kRefused},
    {"\\b", "a", true, Outcome::kRefused},
    {"\\1", "a", true, Outcome::kRefused},
    {"a\\", "a", true, Outcome::kRefused},
    // Exponential backtracking on a naive engine: gives up once the budget is spent.
    {"(a*)*b", std::string(40, 'a'), true, Outcome::kOutOfSteps},
    {"(a|aa)+c", std::string(60, 'a'), true, Outcome::kOutOfSteps},
};

std::string Text(const std::string& subject, const PatternMatcher::Span& span) {
  if (span.begin == std::string::npos) return "";
  return subject.substr(span.begin, span.end - span.begin);
}

TEST(PatternMatcherTest, MatchesTheDialectAndRefusesTheRest) {
  for (const MatchCase& c : kCases) {
    SCOPED_TRACE(c.pattern);
    PatternMatcher matcher;
    const bool compiled = matcher.Compile(c.pattern, {.case_sensitive = c.case_sensitive});
    EXPECT_EQ(compiled, c.outcome != Outcome::kRefused);
    if (!compiled) continue;
    std::vector<PatternMatcher::Span> groups;
    std::size_t steps_left = PatternMatcher::kStepBudget;
    const PatternMatcher::Result result = matcher.Search(c.subject, 0, groups, steps_left);
    switch (c.outcome) {
      case Outcome::kNoMatch:
        EXPECT_EQ(result, PatternMatcher::Result::kNoMatch);
        break;
      case Outcome::kOutOfSteps:
        EXPECT_EQ(result, PatternMatcher::Result::kOutOfSteps);
        EXPECT_EQ(steps_left, 0u);
        break;
      default:
        ASSERT_EQ(result, PatternMatcher::Result::kMatch);
        ASSERT_EQ(groups.size(), matcher.GroupCount() + 1);
        EXPECT_EQ(Text(c.subject, groups[0]), c.whole);
        if (matcher.GroupCount() > 0) {
          EXPECT_EQ(Text(c.subject, groups[1]), c.group1);
        }
    }
  }
}

TEST(PatternMatcherTest, WithoutMultiLineAnchorsSeeOnlyTheSubjectsEnds) {
  PatternMatcher matcher;
  ASSERT_TRUE(matcher.Compile("^b|a$", {.multi_line = false}));
  std::vector<PatternMatcher::Span> groups;
  std::size_t steps_left = PatternMatcher::kStepBudget;
  EXPECT_EQ(matcher.Search("a\nb", 0, groups, steps_left), PatternMatcher::Result::kNoMatch);
}

TEST(RegexObjectTest, GlobalRunsCollectEveryMatchAndStepPastEmptyOnes) {
  RegexObject regex;
  ASSERT_TRUE(regex.Run("(\\w+)=(\\d*)", "a=1; bb=; c=33"));
  ASSERT_EQ(regex.MatchCount(), 3u);
  EXPECT_EQ(regex.SubmatchText(2, 1), "bb");
  EXPECT_EQ(regex.SubmatchText(3, 2), "33");
  EXPECT_EQ(regex.SubmatchText(4, 1), "");
  EXPECT_EQ(regex.SubmatchText(1, 3), "");

  // Empty at 0, "aa" at 1, empty at the end.
  ASSERT_TRUE(regex.Run("a*", "baa"));
  EXPECT_EQ(regex.MatchCount(), 3u);

  ASSERT_TRUE(regex.Run("(\\w)", "xyz", {.global = false}));
  EXPECT_EQ(regex.MatchCount(), 1u);
  EXPECT_EQ(regex.SubmatchText(1, 1), "x");

  ASSERT_TRUE(regex.Run("(#引号)", "say \"hi\"", {.quote_placeholder = true}));
  EXPECT_EQ(regex.MatchCount(), 2u);
}

TEST(RegexObjectTest, RefusedPatternsAndRunawayRunsKeepNoMatch) {
  RegexObject regex;
  ASSERT_TRUE(regex.Run("a", "aa"));
  EXPECT_FALSE(regex.Run("a{2}", "aa"));
  EXPECT_EQ(regex.MatchCount(), 0u);
  EXPECT_FALSE(regex.Run("(a|aa)+c", std::string(60, 'a')));
  EXPECT_EQ(regex.MatchCount(), 0u);
}

}  // namespace
}  // namespace kelvo
