#include "tests/support/sim/sim_text.h"

namespace kelvo::sim {
namespace {

bool IsLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace

std::string UpperName(std::string_view name) {
  std::string upper(name);
  for (std::size_t i = 0; i < upper.size(); ++i) {
    if (IsLeadByte(upper[i])) {
      ++i;  // skip the trail byte too
    } else if (upper[i] >= 'a' && upper[i] <= 'z') {
      upper[i] = static_cast<char>(upper[i] - 'a' + 'A');
    }
  }
  return upper;
}

std::vector<std::string> SplitNames(std::string_view path, bool slash_too) {
  std::vector<std::string> names;
  std::string current;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (IsLeadByte(c) && i + 1 < path.size()) {
      current += c;
      current += path[++i];
    } else if (c == '\\' || (slash_too && c == '/')) {
      if (!current.empty()) names.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) names.push_back(std::move(current));
  return names;
}

}  // namespace kelvo::sim
