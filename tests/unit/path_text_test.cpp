#include "maintenance/path_text.h"

#include <gtest/gtest.h>

#include <string>

namespace kelvo {
namespace {

struct ParentCase {
  std::string path;
  std::string parent;
};

TEST(ParentFolderTest, CutsAtTheLastRealSeparator) {
  const ParentCase cases[] = {
      {R"(C:\Users\u1\CHS\scripts\startup\)", R"(C:\Users\u1\CHS\scripts)"},
      {R"(C:\Program Files\a\startup)", R"(C:\Program Files\a)"},
      {R"(C:\a\\b)", R"(C:\a)"},
      {"C:/a/b", "C:/a"},
      {"C:", ""},
      {"", ""},
      // "\x95\x5C" is one GBK character whose second byte is a backslash.
      {"C:\\\x95\x5C\\b", "C:\\\x95\x5C"},
      {"C:\\a\\\x95\x5C", "C:\\a"},
  };
  for (const ParentCase& c : cases) {
    EXPECT_EQ(ParentFolder(c.path), c.parent) << c.path;
  }
}

}  // namespace
}  // namespace kelvo
