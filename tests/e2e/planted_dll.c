// A DLL that must never run inside Savrin. The end-to-end test copies it
// beside Savrin.exe under the names of DLLs that Windows looks for in a
// program's folder; loaded, it leaves a file named after itself, such as
// "winmm.dll.ran", and fails nothing else.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcpyW(path + length, L".ran");
      HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
    }
  }
  return TRUE;
}
