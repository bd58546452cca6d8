// DLLs bound by name at run time come from the system folder and nowhere else, so that a file of
// the same name planted beside the program or in the current folder is never loaded instead.
#pragma once

#include <windows.h>

#include <cstring>

#include "platform/win32/unique_handle.h"

namespace kelvo {

// Modules we loaded ourselves.
struct ModuleTraits {
  using Handle = HMODULE;
  static Handle Empty() { return nullptr; }
  static bool IsValid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { ::FreeLibrary(h); }
};
using UniqueModule = UniqueResource<ModuleTraits>;

// A library from the system folder; empty when it is not there.
UniqueModule LoadSystemLibrary(const wchar_t* file_name);

// Limits the process's default DLL search to the system folder (and drops the current folder
// from it), at start before anything is loaded by name. Systems that lack the call keep theirs.
void RestrictDefaultDllSearch();

// A function of a module, cast to its real type. GetProcAddress answers a generic pointer.
template <typename Function>
Function BoundFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  const FARPROC found = ::GetProcAddress(module, name);
  Function function = nullptr;
  static_assert(sizeof function == sizeof found);
  std::memcpy(&function, &found, sizeof function);
  return function;
}

}  // namespace kelvo
