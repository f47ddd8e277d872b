#pragma once
#include "platform/status.h"

namespace savrin {

// The one place errno becomes a Status, for the file-system backend and the
// settings file alike; codes chosen to read as the Win32 backend's do for
// the same situation. The text is the system's own ("No such file or
// directory"), after `what` and ": " when `what` names the call that failed.
Status FromErrno(int error, const char* what = nullptr);

// FromErrno(errno, what): call it before anything else can overwrite errno.
Status LastError(const char* what = nullptr);

}  // namespace savrin
