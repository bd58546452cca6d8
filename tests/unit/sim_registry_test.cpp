// The simulated registry: which key a 32-bit program reaches in each view.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/sim/sim_registry.h"
#include "tests/unit/test_printing.h"

namespace kelvo::sim {
namespace {

using Root = RegistryRoot;
using View = RegistryView;

constexpr char kProductKey[] =
    R"(SOFTWARE\Classes\Installer\Products\15A2139B5B14D974F9277E44A8D298FA)";

class SimRegistryTest : public ::testing::Test {
 protected:
  SimRegistryTest() {
    registry.AddKey(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\2020\Settings)");
    registry.AddKey(Root::LocalMachine, R"(SOFTWARE\WOW6432Node\Autodesk\3dsMax)");
    registry.AddKey(Root::LocalMachine, kProductKey);
    registry.AddKey(Root::LocalMachine, R"(SOFTWARE\Classes\CLSID\{0001})");
    registry.AddKey(Root::CurrentUser, R"(Software\Autodesk\3dsMax)");
  }

  SimRegistry registry;
};

struct ViewCase {
  const char* name;
  Root root;
  const char* key;
  bool in_32_bit_view;
  bool in_64_bit_view;
  friend void PrintTo(const ViewCase& c, std::ostream* out) { *out << c.name; }
};

class SimRegistryViewTest : public SimRegistryTest,
                            public ::testing::WithParamInterface<ViewCase> {};

TEST_P(SimRegistryViewTest, KeyExistsInEachView) {
  const ViewCase& c = GetParam();
  EXPECT_EQ(registry.KeyExists(c.root, c.key, View::Default), c.in_32_bit_view);
  EXPECT_EQ(registry.KeyExists(c.root, c.key, View::Bits64), c.in_64_bit_view);
  // A 64-bit process sees the 64-bit view by default.
  registry.SetProcessIs32Bit(false);
  EXPECT_EQ(registry.KeyExists(c.root, c.key, View::Default), c.in_64_bit_view);
}

INSTANTIATE_TEST_SUITE_P(
    SimRegistry, SimRegistryViewTest,
    ::testing::Values(ViewCase{"MachineSoftwareIsSplit", Root::LocalMachine,
                               R"(SOFTWARE\Autodesk\3dsMax\2020)", false, true},
                      ViewCase{"BothViewsHaveTheirOwn", Root::LocalMachine,
                               R"(software\autodesk\3DSMAX)", true, true},
                      ViewCase{"InstallerProductsAreShared", Root::LocalMachine, kProductKey, true,
                               true},
                      ViewCase{"ClassIdsAreSplit", Root::LocalMachine,
                               R"(SOFTWARE\Classes\CLSID\{0001})", false, true},
                      ViewCase{"CurrentUserIsShared", Root::CurrentUser,
                               R"(Software\Autodesk\3dsMax\)", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimRegistryTest, DeleteTreeActsOnTheKeyOfTheView) {
  EXPECT_TRUE(
      registry.DeleteTree(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax)", View::Default).ok());
  EXPECT_FALSE(registry.HasKey(Root::LocalMachine, R"(SOFTWARE\WOW6432Node\Autodesk\3dsMax)"));
  EXPECT_TRUE(registry.HasKey(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\2020\Settings)"));

  EXPECT_TRUE(
      registry.DeleteTree(Root::LocalMachine, R"(SOFTWARE\AUTODESK\3dsmax)", View::Bits64).ok());
  EXPECT_FALSE(registry.HasKey(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax)"));
  EXPECT_TRUE(registry.HasKey(Root::LocalMachine, R"(SOFTWARE\Autodesk)"));

  EXPECT_EQ(registry.DeleteTree(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax)", View::Bits64),
            OsResult::Failed(kErrorFileNotFound));
}

TEST_F(SimRegistryTest, ADeniedKeyStaysWithTheKeysAboveItAndRootsAreNeverDeleted) {
  registry.AddKey(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\2019)");
  registry.DenyChangesUnder(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\2020)");
  EXPECT_EQ(registry.DeleteTree(Root::LocalMachine, R"(SOFTWARE\Autodesk)", View::Bits64),
            OsResult::Failed(kErrorAccessDenied));
  EXPECT_TRUE(registry.HasKey(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\2020\Settings)"));
  EXPECT_FALSE(registry.HasKey(Root::LocalMachine, R"(SOFTWARE\Autodesk\3dsMax\2019)"));

  for (const char* root_itself : {"", "\\", "\\\\"}) {
    EXPECT_EQ(registry.DeleteTree(Root::CurrentUser, root_itself, View::Bits64),
              OsResult::Failed(kErrorBadKey));
  }
  EXPECT_TRUE(registry.HasKey(Root::CurrentUser, R"(Software\Autodesk\3dsMax)"));
}

TEST_F(SimRegistryTest, DefaultValuesAreWrittenThroughMissingKeys) {
  const std::string command = R"("C:\Program Files\Autodesk\3ds Max 2020\\3dsmax.exe" "%1")";
  ASSERT_TRUE(
      registry.SetDefaultValue(Root::ClassesRoot, R"(3dsmax\Shell\Open\Command)", command).ok());
  EXPECT_EQ(registry.Value(Root::ClassesRoot, R"(3DSMAX\shell\open\command)", ""), command);
  EXPECT_EQ(
      registry.ReadString(Root::ClassesRoot, R"(3dsmax\Shell\Open\Command)", "", View::Default),
      command);
  EXPECT_EQ(registry.ReadString(Root::ClassesRoot, R"(3dsmax\Shell\Open)", "", View::Default),
            std::nullopt);
}

}  // namespace
}  // namespace kelvo::sim
