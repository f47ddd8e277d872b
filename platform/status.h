#pragma once
#include <cstdint>
#include <string>

namespace savrin {

// Result of a file-system call. The core never throws for a failure of the
// outside world; it gets one of these, with the platform's own error number
// (GetLastError or errno) kept for diagnosis.
enum class StatusCode {
  Ok,
  NotFound,
  Exists,
  AccessDenied,
  SharingViolation,
  NoSpace,
  IoError,
  CrossDevice,   // a rename between volumes: the caller has to copy instead
  NotEmpty,      // a folder that still holds entries
  InvalidName,   // a name or path the file system does not accept
  Unsupported,   // the file system cannot do this operation safely
};

struct Status {
  StatusCode Code = StatusCode::Ok;
  int32_t PlatformError = 0;
  std::string Text;

  bool IsOk() const { return Code == StatusCode::Ok; }
  static Status Ok() { return {}; }
  static Status Error(StatusCode code, int32_t platformError = 0, std::string text = {}) {
    return {code, platformError, std::move(text)};
  }
};

}  // namespace savrin
