#include "bench/unflushed_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/utf.h"

namespace savrin::bench {
namespace {

std::string Native(const std::u16string& path) {
  std::string native = EncodeUtf8(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

Status Errno() { return Status::Error(errno == EEXIST ? StatusCode::Exists : StatusCode::IoError, errno, std::strerror(errno)); }

// As the backend: in the kernel where it can, by reads and writes where the
// two file systems do not share copy_file_range.
Status CopyContent(int from, int to) {
  bool copiedAny = false;
  for (;;) {
    const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0);
    if (copied > 0) {
      copiedAny = true;
      continue;
    }
    if (copied == 0) return Status::Ok();
    if (copiedAny || (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)) return Errno();
    break;
  }
  std::vector<char> buffer(1 << 16);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0) return Errno();
    if (got == 0) return Status::Ok();
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer.data() + done, static_cast<size_t>(got - done));
      if (put < 0) return Errno();
      done += put;
    }
  }
}

class UnflushedFileSystem final : public FileSystem {
 public:
  UnflushedFileSystem() : real_(MakePlatformFileSystem()) {}

  Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) override {
    return real_->ListFolder(folder, entries);
  }
  Status ListNames(const std::u16string& folder, std::vector<std::u16string>& names) override {
    return real_->ListNames(folder, names);
  }
  Status GetInfo(const std::u16string& path, FileInfo& info) override { return real_->GetInfo(path, info); }
  Status CreateFolder(const std::u16string& path) override { return real_->CreateFolder(path); }
  Status MoveNoReplace(const std::u16string& from, const std::u16string& to) override {
    return real_->MoveNoReplace(from, to);
  }
  Status MoveReplace(const std::u16string& from, const std::u16string& to) override {
    return real_->MoveReplace(from, to);
  }
  Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) override {
    return real_->SetAttributes(path, attributes);
  }
  Status RemoveFile(const std::u16string& path) override { return real_->RemoveFile(path); }
  Status RemoveEmptyFolder(const std::u16string& path) override { return real_->RemoveEmptyFolder(path); }
  Status TryOpenExclusive(const std::u16string& path) override { return real_->TryOpenExclusive(path); }

  Status FlushFolder(const std::u16string&) override { return Status::Ok(); }

  // The backend's copy step by step, less its fsync.
  Status CopyToNewFile(const std::u16string& from, const std::u16string& to,
                       const FileAttributes& createWith) override {
    const int source = ::open(Native(from).c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0) return Errno();
    struct stat st {};
    const std::string target = Native(to);
    const int copy = ::fstat(source, &st) == 0 ? ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666) : -1;
    if (copy < 0) {
      const Status status = Errno();
      ::close(source);
      return status;
    }
    Status status = CopyContent(source, copy);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (status.IsOk() && ::futimens(copy, times) != 0) status = Errno();
    if (status.IsOk() && createWith.readOnly && ::fchmod(copy, 0444) != 0) status = Errno();
    if (::close(copy) != 0 && status.IsOk()) status = Errno();
    ::close(source);
    if (!status.IsOk()) ::unlink(target.c_str());
    return status;
  }

 private:
  std::unique_ptr<FileSystem> real_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeUnflushedFileSystem() { return std::make_unique<UnflushedFileSystem>(); }

}  // namespace savrin::bench
