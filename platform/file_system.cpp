#include "platform/file_system.h"

namespace savrin {

Status FileSystem::RemoveFileIfUnchanged(const std::u16string& path, const FileStamp& expected, bool& changed) {
  changed = false;
  FileInfo now;
  Status status = GetIdentity(path, now);
  if (!status.IsOk()) return status;
  if (now.IsFolder || !expected.Matches(FileStamp::Of(now))) {
    changed = true;
    return Status::Ok();
  }
  // A read-only file goes as the shell's move removes it; if it cannot go,
  // it keeps its attribute.
  const FileAttributes attributes = now.Attributes;
  if (attributes.ReadOnly) {
    FileAttributes writable = attributes;
    writable.ReadOnly = false;
    status = SetAttributes(path, writable);
    if (!status.IsOk()) return status;
  }
  status = RemoveFile(path);
  if (!status.IsOk() && attributes.ReadOnly) SetAttributes(path, attributes);
  return status;
}

}  // namespace savrin
