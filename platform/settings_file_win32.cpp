#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "platform/handle_win32.h"
#include "platform/path_win32.h"
#include "platform/settings_file.h"
#include "platform/status_win32.h"

namespace savrin {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide API takes the core's UTF-16 as it is");

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The settings file lies beside the program, which may sit deeper than 260
// characters; the temporary file's name is made from this form, so it needs
// no conversion of its own.
std::u16string LongPath(const std::u16string& path) {
  const std::wstring native = ToWin32Path(path);
  return std::u16string(native.begin(), native.end());
}

// CREATE_NEW: a name that exists already, ours or anyone's, is never opened;
// the next candidate is tried instead.
HANDLE CreateExclusive(const std::u16string& path, std::u16string& tempPath) {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  const uint64_t seed = (uint64_t{GetCurrentProcessId()} << 40) ^ static_cast<uint64_t>(counter.QuadPart);
  for (uint64_t attempt = 0; attempt < 100; ++attempt) {
    tempPath = TempPathFor(path, seed + attempt);
    // No FILE_ATTRIBUTE_TEMPORARY: the file becomes the settings file itself
    // and would keep the attribute after the rename.
    HANDLE file = CreateFileW(Wide(tempPath), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

Status WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) return LastError("WriteFile");
    if (written == 0) return Status::Error(StatusCode::IoError, 0, "WriteFile wrote nothing");
    bytes.remove_prefix(written);
  }
  return Status::Ok();
}

// Windows refuses to rename over a file that anyone holds open, even one
// shared for deletion. Virus scanners and indexers open a freshly written
// settings file for a moment, so a refusal is retried for up to half a
// second before the settings are given up.
Status MoveOver(const std::u16string& from, const std::u16string& to) {
  for (int attempt = 1;; ++attempt) {
    if (MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return Status::Ok();
    const DWORD error = GetLastError();
    if (attempt == 20 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) {
      return FromWin32Error(error, "MoveFileExW");
    }
    Sleep(25);
  }
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::u16string& path) {
  if (path.empty()) return std::nullopt;
  // Shares everything, so that reading never locks out another program. A
  // folder cannot be opened without FILE_FLAG_BACKUP_SEMANTICS, so it fails
  // here as unreadable.
  FileHandle file(CreateFileW(ToWin32Path(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file.Valid() || GetFileType(file.Get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.Get(), &size) ||
      static_cast<uint64_t>(size.QuadPart) > kMaxSettingsFileBytes) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(buffer, got);
    if (bytes.size() > kMaxSettingsFileBytes) return std::nullopt;  // grew while being read
  }
}

bool ExistsOnDisk(const std::u16string& path) {
  return !path.empty() && GetFileAttributesW(ToWin32Path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

Status RenameNoReplace(const std::u16string& from, const std::u16string& to) {
  if (!MoveFileExW(ToWin32Path(from).c_str(), ToWin32Path(to).c_str(), 0)) return LastError("MoveFileExW");
  return Status::Ok();
}

Status ReplaceFileAtomically(const std::u16string& path, std::string_view bytes) {
  if (path.empty()) return Status::Error(StatusCode::NotFound, 0, "no settings path");
  const std::u16string target = LongPath(path);
  // Windows refuses to rename over a read-only file but Wine does not; asked
  // first, a read-only settings file stays as the user made it on both, and
  // a folder in its place is not retried as if it were a passing lock.
  const DWORD attributes = GetFileAttributesW(Wide(target));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return Status::Error(StatusCode::AccessDenied, ERROR_ACCESS_DENIED, "settings file is read-only or a folder");
  }
  std::u16string tempPath;
  FileHandle temp(CreateExclusive(target, tempPath));
  if (!temp.Valid()) return LastError("CreateFileW");
  Status status = WriteAll(temp.Get(), bytes);
  if (status.IsOk() && !FlushFileBuffers(temp.Get())) status = LastError("FlushFileBuffers");
  if (status.IsOk() && !temp.Close()) status = LastError("CloseHandle");
  if (status.IsOk()) status = MoveOver(tempPath, target);
  if (!status.IsOk()) {
    temp.Close();
    DeleteFileW(Wide(tempPath));
  }
  return status;
}

}  // namespace savrin
