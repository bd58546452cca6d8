#include "platform/win32/system_library.h"

#include <string>

namespace kelvo {

UniqueModule LoadSystemLibrary(const wchar_t* file_name) {
  // Windows 7 without KB2533623 does not know the flag and answers ERROR_INVALID_PARAMETER.
  UniqueModule module(::LoadLibraryExW(file_name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  if (module || ::GetLastError() != ERROR_INVALID_PARAMETER) return module;
  std::wstring path(MAX_PATH, L'\0');
  const UINT length = ::GetSystemDirectoryW(path.data(), static_cast<UINT>(path.size()));
  if (length == 0 || length >= path.size()) return {};
  path.resize(length);
  path += L'\\';
  path += file_name;
  return UniqueModule(::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

void RestrictDefaultDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
  ::SetDllDirectoryW(L"");
  // Looked up rather than imported, so that the program still starts where it is missing.
  if (const auto restrict_search =
          BoundFunction<SetDefaultDllDirectoriesFn>(kernel32, "SetDefaultDllDirectories")) {
    restrict_search(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
}

}  // namespace kelvo
