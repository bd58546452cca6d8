// A small backtracking matcher for the patterns the web pages are searched with. It knows only
// this dialect and refuses every other pattern rather than guess at it:
//   literal bytes (ASCII letters fold when case does not matter), "." (any byte but a line feed),
//   \w \W \d \D \s \S and a backslash before ASCII punctuation, classes "[...]" with ranges, a
//   leading "^" and \w \W \d \D \s \S inside, the quantifiers ? * + and their lazy forms ?? *? +?,
//   capture groups "( )", alternation "|", and the anchors "^" "$" (also after and before a
//   line feed when multi-line; a carriage return belongs to its line).
// Matching works on bytes; a double-byte GBK character in the pattern is kept as one literal.
// Every search runs on a budget of steps, so a pattern that would backtrack without end on some
// subject gives up instead of hanging.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

class PatternMatcher {
 public:
  struct Options {
    bool case_sensitive = false;
    bool multi_line = true;
  };
  // Byte offsets of a match or of one of its groups; both npos for a group that took no part.
  struct Span {
    std::size_t begin = std::string::npos;
    std::size_t end = std::string::npos;
  };
  enum class Result { kMatch, kNoMatch, kOutOfSteps };

  // About two million steps, milliseconds of work: ample for the charset pattern on the 1 KB it
  // reads, while a runaway pattern stops soon.
  static constexpr std::size_t kStepBudget = std::size_t{1} << 21;

  // False when the pattern is not of the dialect; the matcher then matches nothing.
  bool Compile(const std::string& pattern, const Options& options);
  // Number of capture groups, not counting the whole match.
  std::size_t GroupCount() const { return group_count_; }
  // The leftmost match starting at or after `from`. On kMatch `groups` holds the whole match
  // followed by each capture group. Every instruction run takes one step from `steps_left`.
  Result Search(const std::string& subject, std::size_t from, std::vector<Span>& groups,
                std::size_t& steps_left) const;

 private:
  enum class Op : std::uint8_t {
    kByte,       // the byte `arg`
    kByteFold,   // the byte `arg` (a lower-case ASCII letter) in either case
    kAny,        // any byte but a line feed
    kClass,      // a byte of classes_[arg]
    kLineStart,  // "^"
    kLineEnd,    // "$"
    kSplit,      // go on at +arg, and when that fails at +alt
    kJump,       // go on at +arg
    kSave,       // register arg = position
    kProgress,   // fails when the position still equals register arg (an empty loop pass)
    kMatch,
  };
  struct Inst {
    Op op;
    int arg = 0;
    int alt = 0;
  };
  using Code = std::vector<Inst>;
  using ByteSet = std::array<bool, 256>;
  // Where to go on when the current path fails, or (with a register) a value to put back.
  struct Backtrack {
    std::uint32_t pc;
    std::uint32_t reg;
    std::size_t pos;
  };
  struct Parser;

  Result TryAt(const std::string& subject, std::size_t start, std::vector<std::size_t>& registers,
               std::vector<Backtrack>& stack, std::size_t& steps_left) const;

  Code code_;
  std::vector<ByteSet> classes_;
  std::size_t group_count_ = 0;
  std::size_t register_count_ = 0;
  bool multi_line_ = true;
};

}  // namespace kelvo
