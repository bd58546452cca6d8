// Win32Registry against Wine's registry: views, tree deletion and the default value.
#include "platform/win32/win32_registry.h"

#include <gtest/gtest.h>

#include "platform/win32/unique_handle.h"
#include "win_test_support.h"

namespace kelvo {
namespace {

using test::UniqueName;
using test::Wide;

// Creates root\path in the given view (KEY_WOW64_64KEY / KEY_WOW64_32KEY / 0) with a value.
void CreateKey(HKEY root, const std::string& path, REGSAM view, const wchar_t* value = L"v") {
  UniqueHKey key;
  ASSERT_EQ(::RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view,
                              nullptr, key.put(), nullptr),
            ERROR_SUCCESS)
      << path;
  ASSERT_EQ(::RegSetValueExW(key.get(), L"名称", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                             static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

bool Exists(HKEY root, const std::string& path, REGSAM view) {
  UniqueHKey key;
  return ::RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// Removes the test's keys in both views whatever the test did.
class RegistryTest : public ::testing::Test {
 protected:
  ~RegistryTest() override {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        UniqueHKey software;
        if (::RegOpenKeyExW(root, L"Software", 0, KEY_ALL_ACCESS | view, software.put()) ==
            ERROR_SUCCESS) {
          ::RegDeleteTreeW(software.get(), Wide(name_).c_str());
        }
      }
    }
  }

  const std::string name_ = UniqueName("KelvoTest测试");
  const std::string key_ = "Software\\" + name_;
  Win32Registry registry_;
};

TEST_F(RegistryTest, DeleteTreeIn64BitViewLeavesTheWow6432NodeTwinAlone) {
  CreateKey(HKEY_LOCAL_MACHINE, key_ + "\\X\\深\\更深", KEY_WOW64_64KEY);
  CreateKey(HKEY_LOCAL_MACHINE, key_ + "\\Y", KEY_WOW64_64KEY);
  CreateKey(HKEY_LOCAL_MACHINE, key_ + "\\X", KEY_WOW64_32KEY);
  ASSERT_TRUE(
      registry_.KeyExists(RegistryRoot::LocalMachine, key_ + "\\X\\深", RegistryView::Bits64));

  EXPECT_EQ(registry_.DeleteTree(RegistryRoot::LocalMachine, key_, RegistryView::Bits64),
            OsResult::Ok());

  EXPECT_FALSE(Exists(HKEY_LOCAL_MACHINE, key_, KEY_WOW64_64KEY));
  EXPECT_TRUE(Exists(HKEY_LOCAL_MACHINE, "Software\\WOW6432Node\\" + name_ + "\\X", 0));
  EXPECT_TRUE(registry_.KeyExists(RegistryRoot::LocalMachine, "Software\\WOW6432Node\\" + name_,
                                  RegistryView::Default));
}

TEST_F(RegistryTest, MissingKeysAreReportedAsNotFound) {
  for (RegistryView view : {RegistryView::Default, RegistryView::Bits64}) {
    EXPECT_EQ(registry_.DeleteTree(RegistryRoot::CurrentUser, key_, view).error,
              kErrorFileNotFound);
    EXPECT_FALSE(registry_.KeyExists(RegistryRoot::CurrentUser, key_, view));
    EXPECT_EQ(registry_.ReadString(RegistryRoot::CurrentUser, key_, "", view), std::nullopt);
  }
}

TEST_F(RegistryTest, SetDefaultValueCreatesThePathAndReadsBack) {
  const std::string command = key_ + "\\Shell\\Open\\Command";
  const std::string value = "\"C:\\Program Files\\Autodesk\\3ds Max 2016\\3dsmax.exe\" \"%1\"";
  ASSERT_EQ(registry_.SetDefaultValue(RegistryRoot::CurrentUser, command, value), OsResult::Ok());
  EXPECT_EQ(registry_.ReadString(RegistryRoot::CurrentUser, command, "", RegistryView::Default),
            value);
  // Stored as REG_SZ with its terminator, as RegSetValue would.
  DWORD type = 0;
  wchar_t data[128];
  DWORD size = sizeof data;
  UniqueHKey key;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, Wide(command).c_str(), 0, KEY_READ, key.put()),
            ERROR_SUCCESS);
  ASSERT_EQ(
      ::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, (Wide(value).size() + 1) * sizeof(wchar_t));

  ASSERT_EQ(registry_.SetDefaultValue(RegistryRoot::CurrentUser, command, "中文值"),
            OsResult::Ok());
  EXPECT_EQ(registry_.ReadString(RegistryRoot::CurrentUser, command, "", RegistryView::Default),
            "中文值");
}

TEST_F(RegistryTest, ReadStringReadsNamedValuesOfTheAskedView) {
  CreateKey(HKEY_LOCAL_MACHINE, key_, KEY_WOW64_64KEY, L"六十四");
  CreateKey(HKEY_LOCAL_MACHINE, key_, KEY_WOW64_32KEY, L"thirty-two");
  EXPECT_EQ(registry_.ReadString(RegistryRoot::LocalMachine, key_, "名称", RegistryView::Bits64),
            "六十四");
  EXPECT_EQ(registry_.ReadString(RegistryRoot::LocalMachine, "Software\\WOW6432Node\\" + name_,
                                 "名称", RegistryView::Default),
            "thirty-two");
  EXPECT_EQ(registry_.ReadString(RegistryRoot::LocalMachine, key_, "none", RegistryView::Bits64),
            std::nullopt);
  // Longer than the first buffer.
  const std::string long_value(1000, 'L');
  ASSERT_EQ(registry_.SetDefaultValue(RegistryRoot::CurrentUser, key_, long_value), OsResult::Ok());
  EXPECT_EQ(registry_.ReadString(RegistryRoot::CurrentUser, key_, "", RegistryView::Default),
            long_value);
}

TEST_F(RegistryTest, DeleteTreeRefusesKeysThatWouldNameARoot) {
  CreateKey(HKEY_CURRENT_USER, key_, 0);
  const std::string refused[] = {"", "\\", key_ + std::string("\0\\child", 7)};
  for (const std::string& key : refused) {
    EXPECT_FALSE(registry_.DeleteTree(RegistryRoot::CurrentUser, key, RegistryView::Default).ok());
  }
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, key_, 0));
  EXPECT_TRUE(Exists(HKEY_CURRENT_USER, "Software", 0));
}

TEST_F(RegistryTest, ReadDwordReadsOnlyDwordValues) {
  UniqueHKey key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(key_).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.put(), nullptr),
            ERROR_SUCCESS);
  const DWORD one = 1;
  ASSERT_EQ(::RegSetValueExW(key.get(), L"NoTsf3Override2", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&one), sizeof(one)),
            ERROR_SUCCESS);
  CreateKey(HKEY_CURRENT_USER, key_, 0, L"1");

  EXPECT_EQ(registry_.ReadDword(RegistryRoot::CurrentUser, key_, "notsf3override2",
                                RegistryView::Default),
            1u);
  // A string holding a number is not a DWORD, and a missing value is nothing.
  EXPECT_EQ(registry_.ReadDword(RegistryRoot::CurrentUser, key_, "名称", RegistryView::Default),
            std::nullopt);
  EXPECT_EQ(registry_.ReadDword(RegistryRoot::CurrentUser, key_, "none", RegistryView::Default),
            std::nullopt);
}

}  // namespace
}  // namespace kelvo
