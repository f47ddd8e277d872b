#include <windows.h>

#include <utility>
#include <vector>

#include "bench/unflushed_file_system.h"

namespace savrin::bench {
namespace {

// The benchmark's paths are short and absolute, so they go to the API as
// they are.
std::wstring Native(const std::u16string& path) { return std::wstring(path.begin(), path.end()); }

Status LastError() {
  const DWORD error = GetLastError();
  const bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
  return Status::Error(exists ? StatusCode::Exists : StatusCode::IoError, static_cast<int32_t>(error));
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

  // The backend's copy step by step, less its FlushFileBuffers.
  Status CopyToNewFile(const std::u16string& from, const std::u16string& to,
                       const FileAttributes& createWith) override {
    HANDLE source = CreateFileW(Native(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (source == INVALID_HANDLE_VALUE) return LastError();
    BY_HANDLE_FILE_INFORMATION info;
    GetFileInformationByHandle(source, &info);
    DWORD bits = 0;
    if (createWith.readOnly) bits |= FILE_ATTRIBUTE_READONLY;
    if (createWith.hidden) bits |= FILE_ATTRIBUTE_HIDDEN;
    if (createWith.system) bits |= FILE_ATTRIBUTE_SYSTEM;
    HANDLE copy = CreateFileW(Native(to).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              (bits != 0 ? bits : FILE_ATTRIBUTE_NORMAL) | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (copy == INVALID_HANDLE_VALUE) {
      const Status status = LastError();
      CloseHandle(source);
      return status;
    }
    Status status;
    std::vector<char> buffer(1 << 20);
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
        status = LastError();
        break;
      }
      if (got == 0) break;
      DWORD put = 0;
      if (!WriteFile(copy, buffer.data(), got, &put, nullptr) || put != got) {
        status = LastError();
        break;
      }
    }
    if (status.IsOk() && !SetFileTime(copy, nullptr, nullptr, &info.ftLastWriteTime)) status = LastError();
    CloseHandle(copy);
    CloseHandle(source);
    if (!status.IsOk()) DeleteFileW(Native(to).c_str());
    return status;
  }

 private:
  std::unique_ptr<FileSystem> real_;
};

}  // namespace

std::unique_ptr<FileSystem> MakeUnflushedFileSystem() { return std::make_unique<UnflushedFileSystem>(); }

}  // namespace savrin::bench
