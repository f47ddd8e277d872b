#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include "platform/status.h"

namespace savrin {

// The one place a Win32 error becomes a Status, for the file-system backend
// and the settings file alike, so that one failure reads the same through
// both. `what` names the call that failed and becomes the status text; the
// error number is kept as the platform error.
Status FromWin32Error(DWORD error, const char* what = nullptr);

// FromWin32Error(GetLastError(), what): call it before anything else can
// overwrite the thread's last error.
Status LastError(const char* what = nullptr);

}  // namespace savrin
