// Name handling shared by the simulated file tree and registry. Windows compares file and key
// names without regard to letter case, and in GBK a byte that looks like a backslash or a letter
// may be the second half of a double-byte character, so both rules walk the text character by
// character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo::sim {

// ASCII letters upper-cased; double-byte characters left exactly as they are.
std::string UpperName(std::string_view name);

// The parts between separators, empty parts dropped. A separator byte inside a double-byte
// character does not split. `slash_too` makes '/' a separator as well (file paths, not keys).
std::vector<std::string> SplitNames(std::string_view path, bool slash_too);

}  // namespace kelvo::sim
