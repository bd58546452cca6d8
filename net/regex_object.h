// Regular expressions in the dialect the web pages' patterns are written for: "." matches any
// character but a line feed, "+?" is lazy, "\w" is an ASCII letter, digit or underscore.
#pragma once

#include <regex>
#include <string>
#include <vector>

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

  // Runs the pattern over the subject and keeps the matches (all of them when global). False
  // when the pattern cannot be used; true otherwise, also when nothing matched.
  bool Run(const std::string& pattern, const std::string& subject, const RunOptions& options);
  bool Run(const std::string& pattern, const std::string& subject) {
    return Run(pattern, subject, RunOptions{});
  }
  // Capture group `group` of match `match`, both counted from 1; empty when either is missing.
  std::string SubmatchText(std::size_t match, std::size_t group) const;
  std::size_t MatchCount() const { return matches_.size(); }

 private:
  std::string subject_;
  std::vector<std::smatch> matches_;
};

}  // namespace kelvo
