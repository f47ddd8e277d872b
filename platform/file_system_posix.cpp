#include "platform/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>

#include "platform/fd_posix.h"
#include "platform/file_system.h"
#include "platform/held_copies.h"
#include "platform/path_posix.h"
#include "platform/path_text.h"
#include "platform/status_posix.h"
#include "platform/utf.h"

namespace savrin {
namespace {

class DirStream {
 public:
  explicit DirStream(DIR* dir) : dir_(dir) {}
  ~DirStream() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  DirStream(DirStream&& other) noexcept : dir_(std::exchange(other.dir_, nullptr)) {}
  DirStream& operator=(DirStream&& other) noexcept {
    std::swap(dir_, other.dir_);
    return *this;
  }
  DirStream(const DirStream&) = delete;
  DirStream& operator=(const DirStream&) = delete;

  DIR* Get() const { return dir_; }

 private:
  DIR* dir_;
};

FileInfo InfoFromStat(const struct stat& st, std::u16string name, bool isLink) {
  FileInfo info;
  info.IsFolder = S_ISDIR(st.st_mode);
  info.IsLink = isLink;
  info.Attributes.ReadOnly = (st.st_mode & S_IWUSR) == 0;
  info.Attributes.Hidden = !name.empty() && name[0] == u'.';
  info.Size = info.IsFolder ? 0 : static_cast<uint64_t>(st.st_size);
  info.Modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  info.VolumeId = static_cast<uint64_t>(st.st_dev);
  info.FileId = static_cast<uint64_t>(st.st_ino);
  info.Changed = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  info.Name = std::move(name);
  return info;
}

// A link is described by what it points at, and marked as a link; a dangling
// one reads as an empty file.
Status StatAt(int dirFd, const char* path, std::u16string name, FileInfo& info) {
  struct stat st {};
  if (::fstatat(dirFd, path, &st, AT_SYMLINK_NOFOLLOW) != 0) return LastError();
  const bool isLink = S_ISLNK(st.st_mode);
  if (isLink) {
    struct stat target {};
    if (::fstatat(dirFd, path, &target, 0) == 0) st = target;
  }
  info = InfoFromStat(st, std::move(name), isLink);
  return Status::Ok();
}

// A copy is flushed before it is renamed into place. Handing each piece to
// the disk as soon as it is written lets the disk work while the next piece
// is copied, instead of all of it waiting for the closing fsync; for large
// files that is most of the flush. Only a request to start writing: errors
// come from the fsync, which still follows.
constexpr size_t kWriteBackPiece = size_t{8} << 20;

void StartWriteBack(int fd, off_t offset, off_t length) {
  ::sync_file_range(fd, offset, length, SYNC_FILE_RANGE_WRITE);
}

Status CopyByReadWrite(int from, int to, Flushing flushing) {
  char buffer[1 << 16];
  off_t written = 0;
  off_t handedOver = 0;
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (got == 0) return Status::Ok();
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer + done, static_cast<size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return LastError();
      }
      done += put;
    }
    written += got;
    if (flushing == Flushing::Always && written - handedOver >= static_cast<off_t>(kWriteBackPiece)) {
      StartWriteBack(to, handedOver, written - handedOver);
      handedOver = written;
    }
  }
}

// copy_file_range lets the kernel (or the file system, by sharing extents)
// do the work; it refuses some pairs of file systems, and then nothing has
// been copied yet, so plain reads and writes take over from the start.
// `expected` is the source's size when the copy began: once that much is
// copied the copy ends without asking for more (a source that grew since
// is told apart by its size and time afterwards).
Status CopyContent(int from, int to, off_t expected, Flushing flushing) {
  off_t copiedSoFar = 0;
  for (;;) {
    if (expected > 0 && copiedSoFar == expected) return Status::Ok();
    const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kWriteBackPiece, 0);
    if (copied > 0) {
      // A full piece: more is likely to follow, so this one can go to the disk now.
      if (flushing == Flushing::Always && static_cast<size_t>(copied) == kWriteBackPiece) {
        StartWriteBack(to, copiedSoFar, copied);
      }
      copiedSoFar += copied;
      continue;
    }
    if (copied == 0) return Status::Ok();
    if (errno == EINTR) continue;
    if (copiedSoFar == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                             errno == EBADF || errno == EPERM)) {
      return CopyByReadWrite(from, to, flushing);
    }
    return LastError();
  }
}

// As many bytes as fit, short only at the end of the file; -1 on an error.
ssize_t ReadFully(int fd, char* buffer, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t now = ::read(fd, buffer + got, size - got);
    if (now < 0 && errno == EINTR) continue;
    if (now < 0) return -1;
    if (now == 0) break;
    got += static_cast<size_t>(now);
  }
  return static_cast<ssize_t>(got);
}

// Hands `take` each entry of the folder but "." and "..": the folder's
// descriptor, the name as stored and the name decoded. A name that is not
// UTF-8 cannot be spelled in a rule; it stays out of sight.
template <typename Take>
Status ReadFolder(const std::u16string& folder, Take take) {
  DirStream dir(::opendir(ToNative(folder).c_str()));
  if (dir.Get() == nullptr) return LastError();
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.Get());
    if (entry == nullptr) return errno != 0 ? LastError() : Status::Ok();
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    if (auto name = DecodeUtf8(entry->d_name)) take(::dirfd(dir.Get()), entry->d_name, std::move(*name));
  }
}

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(Flushing flushing) : flushing_(flushing) {}

  Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) override {
    entries.clear();
    return ReadFolder(folder, [&](int dirFd, const char* nativeName, std::u16string name) {
      FileInfo info;
      // An entry removed since readdir saw it is simply no longer there.
      if (StatAt(dirFd, nativeName, std::move(name), info).IsOk()) entries.push_back(std::move(info));
    });
  }

  // readdir alone: the match test before each rule reads whole folders and
  // needs no more than the names.
  Status ListNames(const std::u16string& folder, std::vector<std::u16string>& names) override {
    names.clear();
    return ReadFolder(folder, [&](int, const char*, std::u16string name) { names.push_back(std::move(name)); });
  }

  Status GetInfo(const std::u16string& path, FileInfo& info) override {
    return StatAt(AT_FDCWD, ToNative(path).c_str(), SplitAtLastSeparator(TrimTrailingSeparators(path)).Name, info);
  }

  Status ResolvedPath(const std::u16string& path, std::u16string& resolved) override {
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(ToNative(path).c_str(), nullptr), &std::free);
    if (real == nullptr) return LastError();
    std::optional<std::u16string> text = DecodeUtf8(real.get());
    if (!text) return FromErrno(EILSEQ);
    resolved = std::move(*text);
    return Status::Ok();
  }

  Status CreateFolder(const std::u16string& path) override {
    if (::mkdir(ToNative(path).c_str(), 0777) != 0) return LastError();
    return Status::Ok();
  }

  Status MoveNoReplace(const std::u16string& from, const std::u16string& to) override {
    if (::renameat2(AT_FDCWD, ToNative(from).c_str(), AT_FDCWD, ToNative(to).c_str(), RENAME_NOREPLACE) == 0) {
      return Status::Ok();
    }
    if (errno == EINVAL || errno == ENOSYS) return MoveNoReplaceWithoutRenameFlag(from, to);
    return LastError();
  }

  Status MoveReplace(const std::u16string& from, const std::u16string& to) override {
    const std::string target = ToNative(to);
    // rename() would take an empty folder's place; Windows never does.
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FromErrno(EISDIR);
    if (::rename(ToNative(from).c_str(), target.c_str()) != 0) return LastError();
    return Status::Ok();
  }

  Status CopyToNewFile(const std::u16string& from, const std::u16string& to, const CopySettings& settings,
                       CopyReport* report) override {
    Fd source(::open(ToNative(from).c_str(), O_RDONLY | O_CLOEXEC));
    if (!source.Valid()) return LastError();
    struct stat st {};
    if (::fstat(source.Get(), &st) != 0) return LastError();
    if (S_ISDIR(st.st_mode)) return FromErrno(EISDIR);

    const std::string target = ToNative(to);
    Fd copy(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!copy.Valid()) return LastError();
    // No sharing modes here: the lock is what tells another engine's
    // clean-up that this file is being written (ProbeInUse).
    // A file system without locks (some network ones) simply goes without.
    ::flock(copy.Get(), LOCK_EX | LOCK_NB);
    Status status;
    struct stat made {};
    if (::fstat(copy.Get(), &made) != 0) status = LastError();
    if (status.IsOk() && report != nullptr) {
      report->CopyId = static_cast<uint64_t>(made.st_ino);
      report->Source = FileStamp::Of(InfoFromStat(st, {}, false));
    }
    if (status.IsOk()) status = CopyContent(source.Get(), copy.Get(), st.st_size, flushing_);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (status.IsOk() && ::futimens(copy.Get(), times) != 0) status = LastError();
    // The permission bits come along as cp -p brings them (a 0600 file stays
    // private); set-id bits do not.
    mode_t mode = st.st_mode & 0777;
    if (settings.Attributes.ReadOnly) mode &= ~mode_t{0222};
    if (status.IsOk() && mode != (made.st_mode & 07777) && ::fchmod(copy.Get(), mode) != 0) status = LastError();
    if (status.IsOk() && settings.FlushLater) {
      // The disk starts on it now; the flush of the batch then waits for
      // less. Held until then, with its lock.
      if (flushing_ == Flushing::Always) ::sync_file_range(copy.Get(), 0, 0, SYNC_FILE_RANGE_WRITE);
      copies_.Hold(to, std::move(copy));
      return status;
    }
    if (status.IsOk() && flushing_ == Flushing::Always && ::fsync(copy.Get()) != 0) status = LastError();
    if (copy.Close() != 0 && status.IsOk()) status = LastError();
    if (!status.IsOk()) ::unlink(target.c_str());
    return status;
  }

  void StartFlushingCopies(const std::vector<std::u16string>& paths) override {
    copies_.StartFlushing(
        paths,
        [](const std::u16string& path, Fd& file) {
          file = Fd(::open(ToNative(path).c_str(), O_RDONLY | O_CLOEXEC));
          return file.Valid() ? Status::Ok() : LastError();
        },
        [this](Fd& file) {
          Status status;
          if (flushing_ == Flushing::Always && ::fsync(file.Get()) != 0) status = LastError();
          if (file.Close() != 0 && status.IsOk()) status = LastError();
          return status;
        });
  }

  void FinishFlushingCopies(std::vector<Status>& results) override { results = copies_.FinishFlushing(); }

  Status CopyTimes(const std::u16string& from, const std::u16string& to) override {
    struct stat st {};
    if (::stat(ToNative(from).c_str(), &st) != 0) return LastError();
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::utimensat(AT_FDCWD, ToNative(to).c_str(), times, 0) != 0) return LastError();
    return Status::Ok();
  }

  Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) override {
    const std::string native = ToNative(path);
    struct stat st {};
    if (::stat(native.c_str(), &st) != 0) return LastError();
    const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
    mode_t mode = st.st_mode & 07777;
    if (attributes.ReadOnly) {
      mode &= ~writable;
    } else if ((mode & S_IWUSR) == 0) {
      mode |= S_IWUSR;
    }
    if (mode != (st.st_mode & 07777) && ::chmod(native.c_str(), mode) != 0) return LastError();
    return Status::Ok();
  }

  Status RemoveFile(const std::u16string& path) override {
    const std::string native = ToNative(path);
    struct stat st {};
    if (::lstat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return FromErrno(EISDIR);
    if (::unlink(native.c_str()) != 0) return LastError();
    return Status::Ok();
  }

  Status RemoveEmptyFolder(const std::u16string& path) override {
    if (::rmdir(ToNative(path).c_str()) != 0) {
      return errno == EEXIST ? FromErrno(ENOTEMPTY) : LastError();
    }
    return Status::Ok();
  }

  Status FlushFolder(const std::u16string& folder) override {
    if (flushing_ == Flushing::Skipped) return Status::Ok();
    Fd dir(::open(ToNative(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.Valid()) return LastError();
    // Some file systems cannot sync a folder; then nothing says its names are on the disk.
    if (::fsync(dir.Get()) != 0) {
      if (errno == EINVAL || errno == EROFS || errno == ENOTSUP) {
        return Status::Error(StatusCode::Unsupported, errno, "the folder cannot be flushed");
      }
      return LastError();
    }
    return Status::Ok();
  }

  // POSIX has no sharing modes: anything that is there can be opened.
  Status TryOpenExclusive(const std::u16string& path) override {
    struct stat st {};
    if (::lstat(ToNative(path).c_str(), &st) != 0) return LastError();
    return Status::Ok();
  }

  Status ProbeInUse(const std::u16string& path) override {
    Fd probe(::open(ToNative(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!probe.Valid()) return LastError();
    if (::flock(probe.Get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) return FromErrno(EBUSY);
    return Status::Ok();
  }

  Status CompareContent(const std::u16string& a, const std::u16string& b, bool& same) override {
    same = false;
    Fd first(::open(ToNative(a).c_str(), O_RDONLY | O_CLOEXEC));
    if (!first.Valid()) return LastError();
    Fd second(::open(ToNative(b).c_str(), O_RDONLY | O_CLOEXEC));
    if (!second.Valid()) return LastError();
    static thread_local char bufferA[1 << 16];
    static thread_local char bufferB[1 << 16];
    for (;;) {
      const ssize_t gotA = ReadFully(first.Get(), bufferA, sizeof bufferA);
      const ssize_t gotB = ReadFully(second.Get(), bufferB, sizeof bufferB);
      if (gotA < 0 || gotB < 0) return LastError();
      if (gotA != gotB || std::memcmp(bufferA, bufferB, static_cast<size_t>(gotA)) != 0) return Status::Ok();
      if (gotA == 0) break;
    }
    same = true;
    return Status::Ok();
  }

 private:
  const Flushing flushing_;
  HeldCopies<Fd> copies_;
};

}  // namespace

Status MoveNoReplaceWithoutRenameFlag(const std::u16string& from, const std::u16string& to) {
  const std::string source = ToNative(from);
  const std::string target = ToNative(to);
  struct stat st {};
  if (::lstat(source.c_str(), &st) != 0) return LastError();
  if (S_ISDIR(st.st_mode)) {
    // rename() replaces an empty folder only, so once the name is claimed by
    // our own empty folder nobody else's entry can be lost to it.
    if (::mkdir(target.c_str(), 0700) != 0) return LastError();
    if (::rename(source.c_str(), target.c_str()) != 0) {
      const int error = errno;
      ::rmdir(target.c_str());
      return FromErrno(error == ENOTEMPTY ? EEXIST : error);
    }
    return Status::Ok();
  }
  if (::link(source.c_str(), target.c_str()) != 0) {
    const int error = errno;
    // Without hard links there is no way to rename without the risk of
    // replacing: better to leave the file where it is.
    if (error == EPERM || error == EOPNOTSUPP || error == EMLINK) return FromErrno(EOPNOTSUPP);
    return FromErrno(error);
  }
  if (::unlink(source.c_str()) != 0) {
    const int error = errno;
    ::unlink(target.c_str());
    return FromErrno(error);
  }
  return Status::Ok();
}

std::unique_ptr<FileSystem> MakePlatformFileSystem(Flushing flushing) {
  return std::make_unique<PosixFileSystem>(flushing);
}

}  // namespace savrin
