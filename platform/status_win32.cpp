#include "platform/status_win32.h"

namespace savrin {

Status FromWin32Error(DWORD error, const char* what) {
  StatusCode code = StatusCode::IoError;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_DIRECTORY:
      code = StatusCode::NotFound;
      break;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      code = StatusCode::Exists;
      break;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_CURRENT_DIRECTORY:
      code = StatusCode::AccessDenied;
      break;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      code = StatusCode::SharingViolation;
      break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      code = StatusCode::NoSpace;
      break;
    case ERROR_NOT_SAME_DEVICE:
      code = StatusCode::CrossDevice;
      break;
    case ERROR_DIR_NOT_EMPTY:
      code = StatusCode::NotEmpty;
      break;
    // Not NotFound: a name the file system refuses is no sign that the file
    // is missing, and nothing that starts afresh on a missing file may take
    // it for one.
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      code = StatusCode::InvalidName;
      break;
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
      code = StatusCode::Unsupported;
      break;
    default:
      break;
  }
  return Status::Error(code, static_cast<int32_t>(error), what != nullptr ? what : "");
}

Status LastError(const char* what) { return FromWin32Error(::GetLastError(), what); }

}  // namespace savrin
