#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/fd_posix.h"
#include "platform/path_posix.h"
#include "platform/settings_file.h"
#include "platform/status_posix.h"

namespace savrin {
namespace {

// O_EXCL: a name that exists already, ours or anyone's, is never opened;
// the next candidate is tried instead.
int OpenExclusive(const std::u16string& path, std::string& tempPath) {
  const auto now = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (uint64_t attempt = 0; attempt < 100; ++attempt) {
    tempPath = ToNative(TempPathFor(path, (static_cast<uint64_t>(::getpid()) << 40) ^ (now + attempt)));
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

Status WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return LastError("write");
    }
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return Status::Ok();
}

// The rename is durable only once the folder's entry is on disk; file
// systems that cannot sync a folder say EINVAL, and have nothing to flush.
Status SyncFolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.Valid()) return LastError("open folder");
  if (::fsync(dir.Get()) != 0 && errno != EINVAL) return LastError("fsync folder");
  return Status::Ok();
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::u16string& path) {
  if (path.empty()) return std::nullopt;
  // A device or pipe in the file's place is no settings file and might never
  // end; O_NONBLOCK keeps opening a pipe from waiting for a writer.
  Fd file(::open(ToNative(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!file.Valid() || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<uint64_t>(info.st_size) > kMaxSettingsFileBytes) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(buffer, static_cast<size_t>(got));
    if (bytes.size() > kMaxSettingsFileBytes) return std::nullopt;  // grew while being read
  }
}

bool ExistsOnDisk(const std::u16string& path) {
  struct stat st {};
  return !path.empty() && ::lstat(ToNative(path).c_str(), &st) == 0;
}

Status RenameNoReplace(const std::u16string& from, const std::u16string& to) {
  const std::string target = ToNative(to);
  if (::renameat2(AT_FDCWD, ToNative(from).c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
    return LastError("rename");
  }
  return Status::Ok();
}

Status ReplaceFileAtomically(const std::u16string& path, std::string_view bytes) {
  if (path.empty()) return Status::Error(StatusCode::NotFound, 0, "no settings path");
  const std::string target = ToNative(path);
  std::string tempPath;
  Fd temp(OpenExclusive(path, tempPath));
  if (!temp.Valid()) return LastError("create temporary file");
  // An existing file keeps its permissions: settings made private stay private.
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(temp.Get(), old.st_mode & 07777);
  Status status = WriteAll(temp.Get(), bytes);
  if (status.IsOk() && ::fsync(temp.Get()) != 0) status = LastError("fsync");
  if (status.IsOk() && temp.Close() != 0) status = LastError("close");
  if (status.IsOk() && ::rename(tempPath.c_str(), target.c_str()) != 0) status = LastError("rename");
  if (!status.IsOk()) {
    ::unlink(tempPath.c_str());
    return status;
  }
  return SyncFolderOf(target);
}

}  // namespace savrin
