// The page pattern matcher over any pattern and subject. The first byte picks the mode and the
// options: bit 0 case-sensitive, bit 1 multi-line, bit 2 the comparison with std::regex.
//
// Any bytes: the rest is the pattern, a zero byte, the subject. Compiling never crashes; every
// match lies in the subject at or after where its search started, its groups lie inside it, a
// search from where a match began finds that same match, and no search takes more steps than it
// was given.
//
// The comparison: from the bytes, a pattern of the part of the dialect that ECMAScript reads the
// same way (ASCII literals with or without case, ".", classes, \d \w \s and their negations,
// greedy and lazy quantifiers, groups, alternation; no anchors, no double-byte characters) and a
// short subject without carriage returns (ECMAScript's "." skips them). Both engines must find
// the same match and the same groups.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdio>
#include <regex>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "net/pattern_matcher.h"

namespace {

using kelvo::PatternMatcher;

constexpr std::size_t kNpos = std::string::npos;
// Small budgets keep pathological inputs fast; the properties hold for any budget.
constexpr std::size_t kAnyBytesBudget = std::size_t{1} << 16;
// Kept well below the point where libstdc++'s recursive std::regex would take long.
constexpr std::size_t kComparisonBudget = std::size_t{1} << 14;
constexpr std::size_t kMaxSubject = 64;

bool SpanInside(const PatternMatcher::Span& span, std::size_t begin, std::size_t end) {
  if (span.begin == kNpos || span.end == kNpos) return span.begin == span.end;
  return begin <= span.begin && span.begin <= span.end && span.end <= end;
}

// One search with the checks every search answer must pass; returns its result.
PatternMatcher::Result CheckedSearch(const PatternMatcher& matcher, const std::string& subject,
                                     std::size_t from, std::vector<PatternMatcher::Span>& groups,
                                     std::size_t& steps_left) {
  const std::size_t given = steps_left;
  const PatternMatcher::Result result = matcher.Search(subject, from, groups, steps_left);
  FUZZ_CHECK(steps_left <= given);
  if (result == PatternMatcher::Result::kOutOfSteps) FUZZ_CHECK(steps_left == 0);
  if (result != PatternMatcher::Result::kMatch) return result;
  FUZZ_CHECK(groups.size() == matcher.GroupCount() + 1);
  const PatternMatcher::Span whole = groups[0];
  FUZZ_CHECK(whole.begin != kNpos && whole.begin >= from);
  FUZZ_CHECK(SpanInside(whole, 0, subject.size()));
  for (const PatternMatcher::Span& group : groups)
    FUZZ_CHECK(SpanInside(group, whole.begin, whole.end));
  return result;
}

bool SameSpans(const std::vector<PatternMatcher::Span>& a,
               const std::vector<PatternMatcher::Span>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t g = 0; g < a.size(); ++g) {
    if (a[g].begin != b[g].begin || a[g].end != b[g].end) return false;
  }
  return true;
}

// Every match of the pattern one after the other, as a page script collects them.
void AnyBytes(const std::string& input, const PatternMatcher::Options& options) {
  const std::size_t zero = input.find('\0');
  const std::string pattern = input.substr(0, zero);
  const std::string subject = zero == kNpos ? std::string() : input.substr(zero + 1);
  PatternMatcher matcher;
  if (!matcher.Compile(pattern, options)) {
    std::vector<PatternMatcher::Span> groups;
    std::size_t steps_left = kAnyBytesBudget;
    FUZZ_CHECK(matcher.Search(subject, 0, groups, steps_left) == PatternMatcher::Result::kNoMatch);
    return;
  }
  std::size_t steps_left = kAnyBytesBudget;
  std::vector<PatternMatcher::Span> groups;
  std::size_t from = 0;
  while (from <= subject.size()) {
    const std::size_t given = steps_left;
    if (CheckedSearch(matcher, subject, from, groups, steps_left) !=
        PatternMatcher::Result::kMatch) {
      break;
    }
    const PatternMatcher::Span whole = groups[0];
    std::vector<PatternMatcher::Span> again;
    std::size_t steps_again = given;
    FUZZ_CHECK(CheckedSearch(matcher, subject, whole.begin, again, steps_again) ==
               PatternMatcher::Result::kMatch);
    FUZZ_CHECK(SameSpans(groups, again));
    from = whole.end == whole.begin ? whole.end + 1 : whole.end;
  }
}

// Builds a pattern that both engines must read alike from the fuzz bytes.
class PatternBuilder {
 public:
  explicit PatternBuilder(FuzzedDataProvider& input) : input_(input) {}

  std::string Build() {
    std::string pattern;
    Alternation(pattern, 0);
    return pattern;
  }

 private:
  static constexpr int kMaxDepth = 3;
  // Keeps the compiled program far below the matcher's limit even with "+" nested three deep.
  static constexpr int kMaxAtoms = 24;

  void Pick(std::string& out, const std::vector<const char*>& choices) {
    out += choices[input_.ConsumeIntegralInRange<std::size_t>(0, choices.size() - 1)];
  }

  // Returns whether what it added can match the empty text.
  bool Alternation(std::string& out, int depth) {
    bool can_be_empty = false;
    const int alternatives = input_.ConsumeIntegralInRange(1, 3);
    for (int k = 0; k < alternatives; ++k) {
      if (k > 0) out += '|';
      bool sequence_can_be_empty = true;
      const int atoms = input_.ConsumeIntegralInRange(0, 4);
      for (int a = 0; a < atoms && atoms_ < kMaxAtoms; ++a) {
        ++atoms_;
        // Quantifiers only over what cannot be empty: on an empty pass of "?", "*" or "+"
        // ECMAScript fails the pass, which the matcher follows, while libstdc++ keeps it.
        if (Atom(out, depth)) continue;
        const std::size_t quantifier = input_.ConsumeIntegralInRange<std::size_t>(0, 6);
        static const char* const kQuantifiers[] = {"", "?", "*", "+", "??", "*?", "+?"};
        out += kQuantifiers[quantifier];
        const bool optional = quantifier != 0 && quantifier != 3 && quantifier != 6;
        if (!optional) sequence_can_be_empty = false;
      }
      can_be_empty = can_be_empty || sequence_can_be_empty;
    }
    return can_be_empty;
  }

  // Returns whether the atom can match the empty text.
  bool Atom(std::string& out, int depth) {
    switch (input_.ConsumeIntegralInRange(0, 5)) {
      case 0:
        Pick(out, {"a", "b", "c", "A", "1", " ", "-", "_", ","});
        return false;
      case 1:
        Pick(out, {"\\.", "\\-", "\\\\", "\\(", "\\)", "\\*", "\\|", "\\[", "\\]", "\\^", "\\$"});
        return false;
      case 2:
        Pick(out, {"\\d", "\\D", "\\w", "\\W", "\\s", "\\S", "."});
        return false;
      case 3:
        Class(out);
        return false;
      default:
        if (depth >= kMaxDepth) {
          out += 'b';
          return false;
        }
        out += '(';
        const bool can_be_empty = Alternation(out, depth + 1);
        out += ')';
        return can_be_empty;
    }
  }

  void Class(std::string& out) {
    out += input_.ConsumeBool() ? "[^" : "[";
    const int members = input_.ConsumeIntegralInRange(1, 4);
    for (int m = 0; m < members; ++m) {
      Pick(out, {"a", "b", "1", " ", "_", "\\-", "\\]", "\\\\", "\\d", "\\W", "\\s", "a-c", "0-9",
                 "A-Z", "_-a"});
    }
    out += ']';
  }

  FuzzedDataProvider& input_;
  int atoms_ = 0;
};

void CompareWithStdRegex(const std::uint8_t* data, std::size_t size, bool case_sensitive) {
  FuzzedDataProvider input(data, size);
  const std::string pattern = PatternBuilder(input).Build();
  static const char kSubjectBytes[] = "abcAB1_ -.,]\\\n\t\xD6";
  std::string subject(input.ConsumeIntegralInRange<std::size_t>(0, kMaxSubject), 'a');
  for (char& c : subject)
    c = kSubjectBytes[input.ConsumeIntegralInRange<std::size_t>(0, sizeof kSubjectBytes - 2)];
  const std::size_t from = input.ConsumeIntegralInRange<std::size_t>(0, subject.size());

  PatternMatcher matcher;
  FUZZ_CHECK(matcher.Compile(pattern, {.case_sensitive = case_sensitive}));
  std::vector<PatternMatcher::Span> groups;
  std::size_t steps_left = kComparisonBudget;
  const PatternMatcher::Result result = CheckedSearch(matcher, subject, from, groups, steps_left);
  if (result == PatternMatcher::Result::kOutOfSteps) return;

  std::smatch found;
  bool matched = false;
  try {
    const std::regex regex(pattern, case_sensitive ? std::regex::ECMAScript
                                                   : std::regex::ECMAScript | std::regex::icase);
    FUZZ_CHECK(regex.mark_count() == matcher.GroupCount());
    matched =
        std::regex_search(subject.cbegin() + static_cast<long>(from), subject.cend(), found, regex);
  } catch (const std::regex_error&) {
    return;  // too complex for std::regex: nothing to compare
  }
  bool agree = matched == (result == PatternMatcher::Result::kMatch);
  for (std::size_t g = 0; agree && matched && g < groups.size(); ++g) {
    const std::size_t begin = found[g].matched ? found[g].first - subject.cbegin() : kNpos;
    const std::size_t end = found[g].matched ? found[g].second - subject.cbegin() : kNpos;
    agree = groups[g].begin == begin && groups[g].end == end;
  }
  if (!agree) {
    // Says what differed, so a finding can be read without a debugger.
    std::fprintf(stderr, "pattern \"%s\" subject \"%s\" from %zu\n", pattern.c_str(),
                 subject.c_str(), from);
    for (std::size_t g = 0; g < groups.size(); ++g) {
      std::fprintf(stderr, "matcher group %zu: %zd-%zd\n", g,
                   static_cast<std::ptrdiff_t>(groups[g].begin),
                   static_cast<std::ptrdiff_t>(groups[g].end));
    }
    for (std::size_t g = 0; matched && g < found.size(); ++g) {
      std::fprintf(stderr, "std::regex group %zu: %zd-%zd\n", g,
                   found[g].matched ? found[g].first - subject.cbegin() : -1,
                   found[g].matched ? found[g].second - subject.cbegin() : -1);
    }
  }
  FUZZ_CHECK(agree);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t mode = data[0];
  if (mode & 4) {
    CompareWithStdRegex(data + 1, size - 1, (mode & 1) != 0);
  } else {
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    AnyBytes(input, {.case_sensitive = (mode & 1) != 0, .multi_line = (mode & 2) != 0});
  }
  return 0;
}
