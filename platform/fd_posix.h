#pragma once
#include <unistd.h>

#include <utility>

namespace savrin {

// Owns a file descriptor and closes it on every path out. Move-only; a
// moved-from or empty Fd holds -1.
class Fd {
 public:
  explicit Fd(int fd = -1) noexcept : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;

  bool Valid() const { return fd_ >= 0; }
  int Get() const { return fd_; }
  // The descriptor is the caller's from now on.
  int Release() noexcept { return std::exchange(fd_, -1); }

  // close() can report a write that failed late (NFS); a copy must hear of
  // it. As close() itself: 0, or -1 with the reason in errno. The descriptor
  // is gone either way (Linux frees it even when close fails, so a retry
  // could close someone else's). Holding nothing, there is nothing to fail.
  int Close() noexcept {
    const int fd = std::exchange(fd_, -1);
    return fd >= 0 ? ::close(fd) : 0;
  }

 private:
  int fd_;
};

}  // namespace savrin
