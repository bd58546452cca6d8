// Regular expressions in the dialect the web pages' patterns are written for: "." matches any
// character but a line feed, "+?" is lazy, "\w" is an ASCII letter, digit or underscore. The
// whole dialect is listed in net/pattern_matcher.h; other patterns are refused.
#pragma once

#include <string>
#include <vector>

#include "net/pattern_matcher.h"

namespace kelvo {

class RegexObject {
 public:
  RegexObject() = default;
  // The kept matches point into the kept subject.
  RegexObject(const RegexObject&) = delete;
  RegexObject& operator=(const RegexObject&) = delete;

  struct RunOptions {
    bool case_sensitive = false;
    bool multi_line = true;
    bool global = true;
    bool quote_placeholder = false;  // "#引号" in the pattern stands for a double quote
  };

  // Runs the pattern over the subject and keeps the matches (all of them when global, each
  // search going on where the last match ended, or one byte further after an empty match).
  // False, keeping no match, when the pattern is not of the dialect or the run would take more
  // than PatternMatcher::kStepBudget steps; true otherwise, also when nothing matched.
  bool Run(const std::string& pattern, const std::string& subject, const RunOptions& options);
  bool Run(const std::string& pattern, const std::string& subject) {
    return Run(pattern, subject, RunOptions{});
  }
  // Capture group `group` of match `match`, both counted from 1; empty when either is missing.
  std::string SubmatchText(std::size_t match, std::size_t group) const;
  std::size_t MatchCount() const { return matches_.size(); }

 private:
  std::string subject_;
  std::vector<std::vector<PatternMatcher::Span>> matches_;
};

}  // namespace kelvo
