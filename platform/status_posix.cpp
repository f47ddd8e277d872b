#include "platform/status_posix.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace savrin {

Status FromErrno(int error, const char* what) {
  StatusCode code = StatusCode::IoError;
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      code = StatusCode::NotFound;
      break;
    case EEXIST:
      code = StatusCode::Exists;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      code = StatusCode::AccessDenied;
      break;
    case EBUSY:
    case ETXTBSY:
      code = StatusCode::SharingViolation;
      break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      code = StatusCode::NoSpace;
      break;
    case EXDEV:
      code = StatusCode::CrossDevice;
      break;
    case ENOTEMPTY:
      code = StatusCode::NotEmpty;
      break;
    case ENAMETOOLONG:
    case EILSEQ:
    case EINVAL:
      code = StatusCode::InvalidName;
      break;
    case ENOSYS:
    case EOPNOTSUPP:
      code = StatusCode::Unsupported;
      break;
    default:
      break;
  }
  std::string text = std::strerror(error);
  if (what != nullptr) text = std::string(what) + ": " + text;
  return Status::Error(code, error, std::move(text));
}

Status LastError(const char* what) { return FromErrno(errno, what); }

}  // namespace savrin
