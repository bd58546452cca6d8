/* A DLL planted beside the program under the name of a system DLL (winhttp.dll, winsta.dll).
   Loading it leaves a file "<its own path>.loaded", so a test can tell whether anyone did. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcatW(path, L".loaded");
      const HANDLE marker =
          CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
    }
  }
  return TRUE;
}
