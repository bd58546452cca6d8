#include "net/regex_object.h"

#include "net/text_between.h"

namespace kelvo {
namespace {

// The engine's "." also refuses a carriage return; the pages' dialect refuses only a line feed.
std::string DotStopsOnlyAtLineFeed(const std::string& pattern) {
  std::string result;
  bool in_class = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c == '\\' && i + 1 < pattern.size()) {
      result.append(pattern, i, 2);
      ++i;
    } else if (c == '.' && !in_class) {
      result += "[^\\n]";
    } else {
      if (c == '[') in_class = true;
      if (c == ']') in_class = false;
      result += c;
    }
  }
  return result;
}

}  // namespace

bool RegexObject::Run(const std::string& pattern, const std::string& subject,
                      const RunOptions& options) {
  matches_.clear();
  subject_ = subject;
  auto flags = std::regex::ECMAScript;
  if (!options.case_sensitive) flags |= std::regex::icase;
  if (options.multi_line) flags |= std::regex::multiline;
  std::regex engine;
  try {
    engine.assign(DotStopsOnlyAtLineFeed(options.quote_placeholder ? WithQuotes(pattern) : pattern),
                  flags);
  } catch (const std::regex_error&) {
    return false;
  }
  for (auto it = std::sregex_iterator(subject_.begin(), subject_.end(), engine);
       it != std::sregex_iterator(); ++it) {
    matches_.push_back(*it);
    if (!options.global) break;
  }
  return true;
}

std::string RegexObject::SubmatchText(std::size_t match, std::size_t group) const {
  if (match < 1 || match > matches_.size()) return {};
  const std::smatch& found = matches_[match - 1];
  if (group < 1 || group >= found.size()) return {};
  return found[group].str();
}

}  // namespace kelvo
