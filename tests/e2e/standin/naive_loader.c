/* Loads the DLL named on its command line by name, with the default search and nothing
   restricted, as a careless program would: it shows that a planted DLL beside a program is found
   on this system. Exit code 0 when the DLL was loaded. */
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  return LoadLibraryW(argv[1]) != NULL ? 0 : 1;
}
