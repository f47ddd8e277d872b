#include <windows.h>

#include "app/folder_sort_app.h"

namespace {

// Windows looks for a DLL that is not one of its KnownDLLs in the program's
// folder first, and the program runs from wherever it was unzipped, often a
// downloads folder it watches itself. From here on every load, the
// program's and those the system's DLLs make for it, searches the system
// folder only, and never the current folder. (Wine differs: its own DLLs'
// delayed imports still search the program's folder first.)
void NTAPI RestrictDllSearchToSystemFolder(PVOID, DWORD reason, PVOID) {
  if (reason != DLL_PROCESS_ATTACH) return;
  // Windows 7 has SetDefaultDllDirectories only with KB2533623; without it
  // the program's folder stays in the search, the current folder does not.
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  if (const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll")) {
    if (const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
            reinterpret_cast<void*>(GetProcAddress(kernel32, "SetDefaultDllDirectories")))) {
      setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
  }
  SetDllDirectoryW(L"");
}

}  // namespace

// A TLS callback runs before the C runtime starts, and so before any static
// constructor: the stack protector's constructor asks the system's crypto
// provider for its canary, which loads DLLs.
#if defined(_MSC_VER)
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma comment(linker, "/INCLUDE:savrinRestrictDllSearch")
#pragma const_seg(push, ".CRT$XLB")
extern "C" const PIMAGE_TLS_CALLBACK savrinRestrictDllSearch = RestrictDllSearchToSystemFolder;
#pragma const_seg(pop)
#else
extern "C" __attribute__((section(".CRT$XLB"), used))
const PIMAGE_TLS_CALLBACK savrinRestrictDllSearch = RestrictDllSearchToSystemFolder;
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  savrin::CFolderSortApp app;
  app.InitInstance();
  // The worker threads are never joined; ExitProcess ends them with the
  // process, as returning from wWinMain does.
  return 0;
}
