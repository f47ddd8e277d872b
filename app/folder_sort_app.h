#pragma once
#include <windows.h>

namespace savrin {

// The application object: the single-instance guard, the main window's
// modal run, and nothing else. The mutex handle is never closed; the end of
// the process releases it.
class CFolderSortApp {
 public:
  // Always false: the caller then ends the process, there being no message
  // loop of the application's own.
  bool InitInstance();

 private:
  HANDLE SingleInstanceMutex = nullptr;
};

inline constexpr wchar_t kSingleInstanceMutexName[] = L"Savrin Exclusive Mutex";

}  // namespace savrin
