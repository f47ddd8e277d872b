#pragma once
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <utility>

namespace savrin {

// Owns a handle from CreateFileW or DuplicateHandle and closes it on every
// path out. Move-only; a moved-from or empty handle holds nothing. Both
// INVALID_HANDLE_VALUE and null count as nothing, since some calls fail with
// the one and some with the other.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) noexcept : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(FileHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FileHandle& operator=(FileHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
  HANDLE Get() const { return handle_; }

  // Closing the handle written through is the last chance to hear that a
  // write failed (network shares report late): false then, with the reason
  // in GetLastError(). Holding nothing, there is nothing to fail, so closing
  // twice is harmless.
  bool Close() noexcept {
    const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return true;
    return ::CloseHandle(handle) != FALSE;
  }

 private:
  HANDLE handle_;
};

// Owns a FindFirstFileExW handle, which FindClose and not CloseHandle ends.
class FindHandle {
 public:
  explicit FindHandle(HANDLE handle = INVALID_HANDLE_VALUE) noexcept : handle_(handle) {}
  ~FindHandle() { Close(); }
  FindHandle(FindHandle&& other) noexcept : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  FindHandle& operator=(FindHandle&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, INVALID_HANDLE_VALUE);
    }
    return *this;
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

  void Close() noexcept {
    const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    if (handle != INVALID_HANDLE_VALUE) ::FindClose(handle);
  }

 private:
  HANDLE handle_;
};

}  // namespace savrin
