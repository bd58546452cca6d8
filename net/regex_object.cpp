#include "net/regex_object.h"

#include "net/text_between.h"

namespace kelvo {

bool RegexObject::Run(const std::string& pattern, const std::string& subject,
                      const RunOptions& options) {
  matches_.clear();
  subject_ = subject;
  PatternMatcher matcher;
  if (!matcher.Compile(
          options.quote_placeholder ? WithQuotes(pattern) : pattern,
          {.case_sensitive = options.case_sensitive, .multi_line = options.multi_line})) {
    return false;
  }
  std::size_t steps_left = PatternMatcher::kStepBudget;
  std::vector<PatternMatcher::Span> groups;
  std::size_t from = 0;
  while (from <= subject_.size()) {
    const PatternMatcher::Result result = matcher.Search(subject_, from, groups, steps_left);
    if (result == PatternMatcher::Result::kOutOfSteps) {
      matches_.clear();
      return false;
    }
    if (result == PatternMatcher::Result::kNoMatch) break;
    matches_.push_back(groups);
    if (!options.global) break;
    const PatternMatcher::Span whole = groups[0];
    from = whole.end == whole.begin ? whole.end + 1 : whole.end;
  }
  return true;
}

std::string RegexObject::SubmatchText(std::size_t match, std::size_t group) const {
  if (match < 1 || match > matches_.size()) return {};
  const std::vector<PatternMatcher::Span>& found = matches_[match - 1];
  if (group < 1 || group >= found.size() || found[group].begin == std::string::npos) return {};
  return subject_.substr(found[group].begin, found[group].end - found[group].begin);
}

}  // namespace kelvo
