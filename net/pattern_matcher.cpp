#include "net/pattern_matcher.h"

#include <algorithm>

namespace kelvo {
namespace {

// Longer programs come only from deeply nested "+", which no page pattern needs.
constexpr std::size_t kMaxCode = 4096;
constexpr int kMaxNesting = 64;
// Loop registers are numbered from here while parsing and moved behind the groups' afterwards.
constexpr int kLoopRegister = 1 << 20;
constexpr std::uint32_t kNoRegister = 0xFFFFFFFF;

bool IsWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool IsSpaceByte(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool IsAsciiPunctuation(unsigned char c) {
  return (c >= 0x21 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) ||
         (c >= 0x7B && c <= 0x7E);
}
unsigned char LowerAscii(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}
bool IsAsciiLetter(unsigned char c) {
  return LowerAscii(c) >= 'a' && LowerAscii(c) <= 'z';
}
bool IsQuantifier(char c) {
  return c == '?' || c == '*' || c == '+';
}

// Adds the bytes of \w \W \d \D \s \S to `set`; false for any other letter.
bool AddShorthand(unsigned char letter, std::array<bool, 256>& set) {
  bool (*test)(unsigned char) = nullptr;
  switch (LowerAscii(letter)) {
    case 'w':
      test = IsWordByte;
      break;
    case 'd':
      test = [](unsigned char c) { return c >= '0' && c <= '9'; };
      break;
    case 's':
      test = IsSpaceByte;
      break;
    default:
      return false;
  }
  const bool negated = letter >= 'A' && letter <= 'Z';
  for (int b = 0; b < 256; ++b) {
    if (test(static_cast<unsigned char>(b)) != negated) set[b] = true;
  }
  return true;
}

}  // namespace

struct PatternMatcher::Parser {
  const std::string& pattern;
  bool fold;
  PatternMatcher& matcher;
  std::size_t i = 0;
  int loops = 0;
  int nesting = 0;

  bool AtEnd() const { return i >= pattern.size(); }
  unsigned char Peek() const { return static_cast<unsigned char>(pattern[i]); }

  static void Append(Code& to, const Code& from) { to.insert(to.end(), from.begin(), from.end()); }

  void Literal(Code& out, unsigned char c) const {
    if (fold && IsAsciiLetter(c)) {
      out.push_back({Op::kByteFold, LowerAscii(c)});
    } else {
      out.push_back({Op::kByte, c});
    }
  }

  int AddClass(const ByteSet& set) {
    matcher.classes_.push_back(set);
    return static_cast<int>(matcher.classes_.size() - 1);
  }

  // first|second|...: each alternative is tried in turn.
  bool Alternation(Code& out) {
    if (++nesting > kMaxNesting) return false;
    Code first;
    if (!Sequence(first)) return false;
    if (AtEnd() || Peek() != '|') {
      Append(out, first);
    } else {
      ++i;
      Code rest;
      if (!Alternation(rest)) return false;
      out.push_back({Op::kSplit, 1, static_cast<int>(first.size()) + 2});
      Append(out, first);
      out.push_back({Op::kJump, static_cast<int>(rest.size()) + 1});
      Append(out, rest);
    }
    --nesting;
    return out.size() <= kMaxCode;
  }

  bool Sequence(Code& out) {
    while (!AtEnd() && Peek() != '|' && Peek() != ')') {
      Code atom;
      bool quantifiable = true;
      if (!Atom(atom, quantifiable)) return false;
      if (!AtEnd() && IsQuantifier(Peek())) {
        if (!quantifiable) return false;
        const char quantifier = pattern[i++];
        const bool lazy = !AtEnd() && Peek() == '?';
        if (lazy) ++i;
        if (!AtEnd() && IsQuantifier(Peek())) return false;
        Quantify(atom, quantifier, lazy);
      }
      Append(out, atom);
      if (out.size() > kMaxCode) return false;
    }
    return true;
  }

  void Quantify(Code& atom, char quantifier, bool lazy) {
    const int n = static_cast<int>(atom.size());
    // A greedy split tries one more pass first, a lazy one tries going on first.
    auto split = [lazy](int more, int done) {
      return lazy ? Inst{Op::kSplit, done, more} : Inst{Op::kSplit, more, done};
    };
    Code out;
    if (quantifier == '?') {
      out.push_back(split(1, n + 1));
      Append(out, atom);
    } else {
      // "+" is one pass followed by "*". A "*" pass that consumes nothing ends the loop.
      if (quantifier == '+') Append(out, atom);
      const int reg = kLoopRegister + loops++;
      out.push_back(split(1, n + 4));
      out.push_back({Op::kSave, reg});
      Append(out, atom);
      out.push_back({Op::kProgress, reg});
      out.push_back({Op::kJump, -(n + 3)});
    }
    atom = std::move(out);
  }

  bool Atom(Code& out, bool& quantifiable) {
    const unsigned char c = Peek();
    ++i;
    switch (c) {
      case '(': {
        if (!AtEnd() && Peek() == '?') return false;
        const int group = static_cast<int>(++matcher.group_count_);
        out.push_back({Op::kSave, 2 * group});
        if (!Alternation(out) || AtEnd() || Peek() != ')') return false;
        ++i;
        out.push_back({Op::kSave, 2 * group + 1});
        return true;
      }
      case '[':
        return Class(out);
      case '.':
        out.push_back({Op::kAny});
        return true;
      case '^':
      case '$':
        quantifiable = false;
        out.push_back({c == '^' ? Op::kLineStart : Op::kLineEnd});
        return true;
      case '\\': {
        if (AtEnd()) return false;
        const unsigned char escaped = Peek();
        ++i;
        ByteSet set{};
        if (AddShorthand(escaped, set)) {
          out.push_back({Op::kClass, AddClass(set)});
        } else if (IsAsciiPunctuation(escaped)) {
          out.push_back({Op::kByte, escaped});
        } else {
          return false;
        }
        return true;
      }
      case '*':
      case '+':
      case '?':
      case '{':
      case '}':
      case ']':
        return false;
      default:
        // A double-byte character stays whole, also under a quantifier; its second byte may look
        // like "\" or "[".
        if (c >= 0x81 && c <= 0xFE && !AtEnd() && Peek() >= 0x40 && Peek() <= 0xFE &&
            Peek() != 0x7F) {
          out.push_back({Op::kByte, c});
          out.push_back({Op::kByte, Peek()});
          ++i;
        } else {
          Literal(out, c);
        }
        return true;
    }
  }

  // One member of a class: a byte (returned in `byte`) or a shorthand (added to `set`, `byte`
  // -1). False for what a class cannot hold.
  bool ClassMember(ByteSet& set, int& byte) {
    if (AtEnd()) return false;
    unsigned char c = Peek();
    ++i;
    if (c >= 0x80) return false;
    byte = c;
    if (c != '\\') return true;
    if (AtEnd()) return false;
    c = Peek();
    ++i;
    if (AddShorthand(c, set)) {
      byte = -1;
      return true;
    }
    byte = c;
    return IsAsciiPunctuation(c);
  }

  // After the "[": members up to the "]". A "-" first, last or escaped is a member itself.
  bool Class(Code& out) {
    ByteSet set{};
    const bool negated = !AtEnd() && Peek() == '^';
    if (negated) ++i;
    if (!AtEnd() && Peek() == ']') return false;
    while (!AtEnd() && Peek() != ']') {
      int low = 0;
      if (!ClassMember(set, low)) return false;
      const bool range = i + 1 < pattern.size() && Peek() == '-' && pattern[i + 1] != ']';
      if (!range) {
        if (low >= 0) set[low] = true;
        continue;
      }
      if (low < 0) return false;
      ++i;
      int high = 0;
      ByteSet ignored{};
      if (!ClassMember(ignored, high) || high < low) return false;
      for (int b = low; b <= high; ++b)
        set[b] = true;
    }
    if (AtEnd()) return false;
    ++i;
    if (fold) {
      for (int b = 'a'; b <= 'z'; ++b) {
        const int upper = b - ('a' - 'A');
        set[b] = set[upper] = set[b] || set[upper];
      }
    }
    if (negated) {
      for (bool& member : set)
        member = !member;
    }
    out.push_back({Op::kClass, AddClass(set)});
    return true;
  }
};

bool PatternMatcher::Compile(const std::string& pattern, const Options& options) {
  code_.clear();
  classes_.clear();
  group_count_ = 0;
  register_count_ = 0;
  multi_line_ = options.multi_line;
  Parser parser{pattern, !options.case_sensitive, *this};
  Code body;
  if (!parser.Alternation(body) || !parser.AtEnd()) {
    code_.clear();
    classes_.clear();
    group_count_ = 0;
    return false;
  }
  code_.push_back({Op::kSave, 0});
  code_.insert(code_.end(), body.begin(), body.end());
  code_.push_back({Op::kSave, 1});
  code_.push_back({Op::kMatch});
  const int loop_base = 2 * static_cast<int>(group_count_ + 1);
  for (Inst& inst : code_) {
    if ((inst.op == Op::kSave || inst.op == Op::kProgress) && inst.arg >= kLoopRegister) {
      inst.arg = inst.arg - kLoopRegister + loop_base;
    }
  }
  register_count_ = static_cast<std::size_t>(loop_base + parser.loops);
  return true;
}

PatternMatcher::Result PatternMatcher::Search(const std::string& subject, std::size_t from,
                                              std::vector<Span>& groups,
                                              std::size_t& steps_left) const {
  if (code_.empty()) return Result::kNoMatch;
  std::vector<std::size_t> registers(register_count_);
  std::vector<Backtrack> stack;
  for (std::size_t start = from; start <= subject.size(); ++start) {
    std::fill(registers.begin(), registers.end(), std::string::npos);
    const Result result = TryAt(subject, start, registers, stack, steps_left);
    if (result == Result::kNoMatch) continue;
    if (result == Result::kMatch) {
      groups.assign(group_count_ + 1, Span{});
      for (std::size_t g = 0; g <= group_count_; ++g) {
        const std::size_t begin = registers[2 * g];
        const std::size_t end = registers[2 * g + 1];
        if (begin != std::string::npos && end != std::string::npos) groups[g] = {begin, end};
      }
    }
    return result;
  }
  return Result::kNoMatch;
}

PatternMatcher::Result PatternMatcher::TryAt(const std::string& subject, std::size_t start,
                                             std::vector<std::size_t>& registers,
                                             std::vector<Backtrack>& stack,
                                             std::size_t& steps_left) const {
  const std::size_t size = subject.size();
  stack.clear();
  std::size_t pc = 0;
  std::size_t pos = start;
  for (;;) {
    if (steps_left == 0) return Result::kOutOfSteps;
    --steps_left;
    const Inst& inst = code_[pc];
    const unsigned char byte = pos < size ? static_cast<unsigned char>(subject[pos]) : 0;
    bool ok = true;
    bool consumes = false;
    switch (inst.op) {
      case Op::kByte:
        ok = consumes = pos < size && byte == inst.arg;
        break;
      case Op::kByteFold:
        ok = consumes = pos < size && LowerAscii(byte) == inst.arg;
        break;
      case Op::kAny:
        ok = consumes = pos < size && byte != '\n';
        break;
      case Op::kClass:
        ok = consumes = pos < size && classes_[inst.arg][byte];
        break;
      case Op::kLineStart:
        ok = pos == 0 || (multi_line_ && subject[pos - 1] == '\n');
        break;
      case Op::kLineEnd:
        ok = pos == size || (multi_line_ && byte == '\n');
        break;
      case Op::kSplit:
        stack.push_back({static_cast<std::uint32_t>(pc + inst.alt), kNoRegister, pos});
        pc += inst.arg;
        continue;
      case Op::kJump:
        pc += inst.arg;
        continue;
      case Op::kSave:
        stack.push_back({0, static_cast<std::uint32_t>(inst.arg), registers[inst.arg]});
        registers[inst.arg] = pos;
        break;
      case Op::kProgress:
        ok = registers[inst.arg] != pos;
        break;
      case Op::kMatch:
        return Result::kMatch;
    }
    if (ok) {
      ++pc;
      if (consumes) ++pos;
      continue;
    }
    for (;;) {
      if (stack.empty()) return Result::kNoMatch;
      const Backtrack back = stack.back();
      stack.pop_back();
      if (back.reg == kNoRegister) {
        pc = back.pc;
        pos = back.pos;
        break;
      }
      registers[back.reg] = back.pos;
    }
  }
}

}  // namespace kelvo
