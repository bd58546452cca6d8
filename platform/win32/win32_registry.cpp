#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <vector>

#include "platform/win32/text_conversion.h"
#include "platform/win32/unique_handle.h"

namespace kelvo {
namespace {

constexpr OsResult kBadKey{ERROR_BADKEY};

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
  }
  return nullptr;
}

REGSAM ViewFlag(RegistryView view) {
  return view == RegistryView::Bits64 ? KEY_WOW64_64KEY : 0;
}

// Key paths as wide C strings (terminator dropped from the converted buffer).
std::optional<std::wstring> KeyPath(const std::string& key) {
  auto wide = GbkNameToUtf16(key);
  if (wide && !wide->empty()) wide->pop_back();
  return wide;
}

// Names of the key's direct subkeys.
LSTATUS SubkeyNames(HKEY key, std::vector<std::wstring>& names) {
  names.clear();
  wchar_t name[256];  // a key name has at most 255 characters
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(std::size(name));
    const LSTATUS status =
        ::RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
    if (status != ERROR_SUCCESS) return status;
    names.emplace_back(name, length);
  }
}

// Removes root\path with everything below it; answers the first failure.
LSTATUS DeleteTreeInView(HKEY root, const std::wstring& path, REGSAM view) {
  std::vector<std::wstring> children;
  {
    UniqueHKey key;
    LSTATUS status = ::RegOpenKeyExW(root, path.c_str(), 0,
                                     KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | view, key.put());
    if (status != ERROR_SUCCESS) return status;
    status = SubkeyNames(key.get(), children);
    if (status != ERROR_SUCCESS) return status;
  }
  LSTATUS first_failure = ERROR_SUCCESS;
  for (const std::wstring& child : children) {
    const LSTATUS status = DeleteTreeInView(root, path + L'\\' + child, view);
    if (status != ERROR_SUCCESS && first_failure == ERROR_SUCCESS) first_failure = status;
  }
  // Its values go with the key.
  const LSTATUS status = ::RegDeleteKeyExW(root, path.c_str(), view, 0);
  return first_failure != ERROR_SUCCESS ? first_failure : status;
}

OsResult FromStatus(LSTATUS status) {
  return status == ERROR_SUCCESS ? OsResult::Ok()
                                 : OsResult::Failed(static_cast<std::uint32_t>(status));
}

// The key opened for reading its values; empty when it cannot be.
UniqueHKey OpenForReading(RegistryRoot root, const std::string& key, RegistryView view) {
  UniqueHKey opened;
  const auto path = KeyPath(key);
  if (path && ::RegOpenKeyExW(RootKey(root), path->c_str(), 0, KEY_QUERY_VALUE | ViewFlag(view),
                              opened.put()) != ERROR_SUCCESS) {
    return {};
  }
  return opened;
}

}  // namespace

bool Win32Registry::KeyExists(RegistryRoot root, const std::string& key, RegistryView view) {
  const auto path = KeyPath(key);
  if (!path) return false;
  UniqueHKey opened;
  const LSTATUS status = ::RegOpenKeyExW(RootKey(root), path->c_str(), 0,
                                         KEY_QUERY_VALUE | ViewFlag(view), opened.put());
  // A key we may not read is still there.
  return status == ERROR_SUCCESS || status == ERROR_ACCESS_DENIED;
}

OsResult Win32Registry::DeleteTree(RegistryRoot root, const std::string& key, RegistryView view) {
  const auto path = KeyPath(key);
  if (!path) return kBadKey;
  // "" or "\" would name the root itself: never wipe a whole hive.
  if (path->find_first_not_of(L'\\') == std::wstring::npos) return kBadKey;
  return FromStatus(DeleteTreeInView(RootKey(root), *path, ViewFlag(view)));
}

OsResult Win32Registry::SetDefaultValue(RegistryRoot root, const std::string& key,
                                        const std::string& value) {
  const auto path = KeyPath(key);
  if (!path) return kBadKey;
  UniqueHKey created;
  const LSTATUS status = ::RegCreateKeyExW(RootKey(root), path->c_str(), 0, nullptr, 0,
                                           KEY_SET_VALUE, nullptr, created.put(), nullptr);
  if (status != ERROR_SUCCESS) return FromStatus(status);
  std::wstring data = GbkToUtf16(value);
  if (data.empty()) data.push_back(L'\0');  // REG_SZ data always carries its terminator
  return FromStatus(::RegSetValueExW(created.get(), nullptr, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(data.data()),
                                     static_cast<DWORD>(data.size() * sizeof(wchar_t))));
}

std::optional<std::string> Win32Registry::ReadString(RegistryRoot root, const std::string& key,
                                                     const std::string& name, RegistryView view) {
  const auto value_name = KeyPath(name);
  UniqueHKey opened = OpenForReading(root, key, view);
  if (!opened || !value_name) return std::nullopt;
  // The value may grow between asking its size and reading it: ask again then.
  std::vector<wchar_t> buffer(128);
  for (;;) {
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    const LSTATUS status = ::RegQueryValueExW(opened.get(), value_name->c_str(), nullptr, &type,
                                              reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status == ERROR_MORE_DATA) {
      buffer.resize(size / sizeof(wchar_t) + 2);
      continue;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::nullopt;
    // Stored strings need not be terminated; the view ends at the data's end or its first NUL.
    return Utf16ToGbk(std::wstring_view(buffer.data(), size / sizeof(wchar_t)));
  }
}

std::optional<std::uint32_t> Win32Registry::ReadDword(RegistryRoot root, const std::string& key,
                                                      const std::string& name, RegistryView view) {
  const auto value_name = KeyPath(name);
  UniqueHKey opened = OpenForReading(root, key, view);
  if (!opened || !value_name) return std::nullopt;
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (::RegQueryValueExW(opened.get(), value_name->c_str(), nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace kelvo
