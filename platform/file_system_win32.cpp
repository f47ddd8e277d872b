#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winternl.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/held_copies.h"
#include "platform/handle_win32.h"
#include "platform/path_text.h"
#include "platform/path_win32.h"
#include "platform/status_win32.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace savrin {
namespace {

int64_t Ticks(const FILETIME& time) {
  return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

FileAttributes AttributesOf(DWORD attributes) {
  FileAttributes result;
  result.ReadOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  result.Hidden = (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
  result.System = (attributes & FILE_ATTRIBUTE_SYSTEM) != 0;
  return result;
}

// Besides our three, the bits SetFileAttributesW takes; they are handed
// back as they were.
constexpr DWORD kKeptWhenSetting =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_TEMPORARY;

DWORD AttributeBits(const FileAttributes& attributes) {
  DWORD bits = 0;
  if (attributes.ReadOnly) bits |= FILE_ATTRIBUTE_READONLY;
  if (attributes.Hidden) bits |= FILE_ATTRIBUTE_HIDDEN;
  if (attributes.System) bits |= FILE_ATTRIBUTE_SYSTEM;
  return bits;
}

std::u16string ToU16(const wchar_t* text) {
  std::u16string result;
  for (; *text != L'\0'; ++text) result.push_back(static_cast<char16_t>(*text));
  return result;
}

// What every Win32 record of a file says alike.
void SetBasics(FileInfo& info, DWORD attributes, DWORD sizeHigh, DWORD sizeLow, const FILETIME& lastWrite) {
  info.IsFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  info.Attributes = AttributesOf(attributes);
  info.Size = info.IsFolder ? 0 : Join(sizeHigh, sizeLow);
  info.Modified = Ticks(lastWrite);
}

FileInfo InfoFromFindData(const WIN32_FIND_DATAW& data) {
  FileInfo info;
  info.Name = ToU16(data.cFileName);
  SetBasics(info, data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
  // dwReserved0 holds the reparse tag; OneDrive placeholders and
  // deduplicated files are reparse points too, and are ordinary files here.
  info.IsLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                (data.dwReserved0 == IO_REPARSE_TAG_SYMLINK || data.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
  return info;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// As many bytes as fit, short only at the end of the file.
bool ReadFully(HANDLE file, char* buffer, DWORD size, DWORD& got) {
  got = 0;
  while (got < size) {
    DWORD now = 0;
    if (!::ReadFile(file, buffer + got, size - got, &now, nullptr)) return false;
    if (now == 0) break;
    got += now;
  }
  return true;
}

// The file's number on its volume, the nFileIndex that GetFileInformationByHandle
// gives, without the volume's serial number that query also fetches (under
// Wine a round trip to the volume manager, about a millisecond).
Status FileIndexOf(HANDLE file, uint64_t& index) {
  IO_STATUS_BLOCK io{};
  FILE_INTERNAL_INFORMATION info{};
  const NTSTATUS status = ::NtQueryInformationFile(file, &io, &info, sizeof info, FileInternalInformation);
  if (status < 0) return Status::Error(StatusCode::IoError, static_cast<int32_t>(status), "no file index");
  index = static_cast<uint64_t>(info.IndexNumber.QuadPart);
  return Status::Ok();
}

// The copy's own handle, duplicated when the copy routine announces the
// main stream and kept open after the routine returns: the new file is then
// never without a writer holding it without sharing (what ProbeInUse looks
// for), and is flushed through the very handle it was written by.
struct HeldCopy {
  FileHandle Destination{INVALID_HANDLE_VALUE};
};

DWORD CALLBACK HoldDestination(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD streamNumber,
                               DWORD reason, HANDLE, HANDLE destination, LPVOID data) {
  auto* held = static_cast<HeldCopy*>(data);
  if (reason == CALLBACK_STREAM_SWITCH && streamNumber == 1 && !held->Destination.Valid()) {
    HANDLE duplicate = INVALID_HANDLE_VALUE;
    const HANDLE self = ::GetCurrentProcess();
    if (::DuplicateHandle(self, destination, self, &duplicate, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
      held->Destination = FileHandle(duplicate);
    }
  }
  return PROGRESS_CONTINUE;
}

// A read-only copy refuses a writer's open, so the bit is off while it opens.
Status HoldWrittenCopy(const std::wstring& target, FileHandle& destination) {
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  const bool readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  const DWORD settable = attributes & (kKeptWhenSetting | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  if (readOnly && !::SetFileAttributesW(target.c_str(), settable != 0 ? settable : FILE_ATTRIBUTE_NORMAL)) {
    return LastError();
  }
  destination = FileHandle(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  const Status status = destination.Valid() ? Status::Ok() : LastError();
  if (readOnly) ::SetFileAttributesW(target.c_str(), settable | FILE_ATTRIBUTE_READONLY);
  return status;
}

// Size, times and id through the handle, without the volume's serial number
// (see FileIndexOf).
Status StampOf(HANDLE file, FileStamp& stamp) {
  FILE_BASIC_INFO basic{};
  FILE_STANDARD_INFO standard{};
  if (!::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
      !::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard)) {
    return LastError();
  }
  stamp.Size = standard.Directory ? 0 : static_cast<uint64_t>(standard.EndOfFile.QuadPart);
  stamp.Modified = basic.LastWriteTime.QuadPart;
  stamp.Changed = basic.ChangeTime.QuadPart;
  return FileIndexOf(file, stamp.FileId);
}

// A handle for reading or writing only attributes and times, which take no
// part in sharing checks: it opens also what another process holds
// exclusively, and folders too (backup semantics).
FileHandle OpenForAttributes(const std::wstring& path, DWORD access) {
  return FileHandle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The handle's path with every link on the way resolved, in the \\?\ form.
Status FinalPathOf(HANDLE handle, std::wstring& path) {
  path.assign(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                     FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return LastError();
    if (length < path.size()) {
      path.resize(length);
      return Status::Ok();
    }
    path.resize(length + 1);
  }
}

// Wine shows a Linux symlink to a file as the file itself, and a removal
// through it (DeleteFileW too) removes the file it leads to. Such a file's
// final path is not its folder's final path and its own name. On Windows a
// link is seen and opened as itself, and the two always agree.
bool ReachedThroughAHiddenLink(HANDLE file, const std::wstring& path) {
  std::wstring own;
  if (!FinalPathOf(file, own).IsOk()) return false;
  const size_t separator = path.find_last_of(L'\\');
  if (separator == std::wstring::npos) return false;
  const FileHandle folder = OpenForAttributes(path.substr(0, separator + 1), FILE_READ_ATTRIBUTES);
  std::wstring expected;
  if (!folder.Valid() || !FinalPathOf(folder.Get(), expected).IsOk()) return false;
  if (expected.empty() || expected.back() != L'\\') expected.push_back(L'\\');
  expected.append(path, separator + 1, std::wstring::npos);
  return ::CompareStringOrdinal(own.data(), static_cast<int>(own.size()), expected.data(),
                                static_cast<int>(expected.size()), TRUE) != CSTR_EQUAL;
}

class Win32FileSystem final : public FileSystem {
 public:
  explicit Win32FileSystem(Flushing flushing) : flushing_(flushing) {}

  // The folder alone is cleaned up; in the \\?\ form every name appended
  // to it then reaches the file system untouched.
  std::u16string FolderForNames(const std::u16string& folder) override {
    const std::wstring path = ToWin32Path(folder);
    return std::u16string(path.begin(), path.end());
  }

  Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) override {
    entries.clear();
    const std::wstring path = ToWin32Path(folder);
    std::wstring pattern = path;
    if (!pattern.empty() && pattern.back() != L'\\') pattern.push_back(L'\\');
    pattern.push_back(L'*');
    WIN32_FIND_DATAW data;
    // FindExInfoBasic: no 8.3 names are looked up, and none are ever matched.
    FindHandle find(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                       FIND_FIRST_EX_LARGE_FETCH));
    if (!find.Valid()) {
      const DWORD error = ::GetLastError();
      // A drive's root holds no "." entry, so an empty root finds nothing at all.
      if (error == ERROR_FILE_NOT_FOUND && IsFolder(path)) return Status::Ok();
      return FromWin32Error(error);
    }
    do {
      const wchar_t* name = data.cFileName;
      if (name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'))) continue;
      entries.push_back(InfoFromFindData(data));
    } while (::FindNextFileW(find.Get(), &data));
    const DWORD error = ::GetLastError();
    if (error != ERROR_NO_MORE_FILES) return FromWin32Error(error);
    return Status::Ok();
  }

  // By path: asking a handle for anything also asks the volume manager for
  // the volume's serial number under Wine, about a millisecond a call. A
  // link is read through a handle so that, as for a copy, it stands for
  // what it leads to.
  Status GetInfo(const std::u16string& path, FileInfo& info) override {
    const std::wstring native = ToWin32Path(path);
    info = FileInfo{};
    info.Name = SplitAtLastSeparator(TrimTrailingSeparators(path)).Name;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(native.c_str(), GetFileExInfoStandard, &data)) return LastError();
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return GetIdentity(path, info);
    SetBasics(info, data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
    return Status::Ok();
  }

  Status GetIdentity(const std::u16string& path, FileInfo& info) override {
    info = FileInfo{};
    info.Name = SplitAtLastSeparator(TrimTrailingSeparators(path)).Name;
    const FileHandle handle = OpenForAttributes(ToWin32Path(path), FILE_READ_ATTRIBUTES);
    BY_HANDLE_FILE_INFORMATION byHandle;
    if (!handle.Valid() || !::GetFileInformationByHandle(handle.Get(), &byHandle)) return LastError();
    SetBasics(info, byHandle.dwFileAttributes, byHandle.nFileSizeHigh, byHandle.nFileSizeLow,
              byHandle.ftLastWriteTime);
    info.VolumeId = byHandle.dwVolumeSerialNumber;
    info.FileId = Join(byHandle.nFileIndexHigh, byHandle.nFileIndexLow);
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(handle.Get(), FileBasicInfo, &basic, sizeof basic)) {
      info.Changed = basic.ChangeTime.QuadPart;
    }
    return Status::Ok();
  }

  // The final path has every link, junction and subst drive resolved (Wine
  // resolves Linux symlinks here too), and comes in the \\?\ form.
  Status ResolvedPath(const std::u16string& path, std::u16string& resolved) override {
    const FileHandle handle = OpenForAttributes(ToWin32Path(path), FILE_READ_ATTRIBUTES);
    if (!handle.Valid()) return LastError();
    std::wstring text;
    const Status status = FinalPathOf(handle.Get(), text);
    if (!status.IsOk()) return status;
    resolved.assign(text.begin(), text.end());
    return Status::Ok();
  }

  Status CreateFolder(const std::u16string& path) override {
    if (!::CreateDirectoryW(ToWin32Path(path).c_str(), nullptr)) return LastError();
    return Status::Ok();
  }

  // Without MOVEFILE_COPY_ALLOWED a move between volumes fails with
  // ERROR_NOT_SAME_DEVICE instead of becoming a copy we could not watch.
  Status MoveNoReplace(const std::u16string& from, const std::u16string& to) override {
    if (!::MoveFileExW(ToWin32Path(from).c_str(), ToWin32Path(to).c_str(), 0)) return LastError();
    return Status::Ok();
  }

  Status MoveReplace(const std::u16string& from, const std::u16string& to) override {
    const std::wstring target = ToWin32Path(to);
    if (IsFolder(target)) return FromWin32Error(ERROR_ACCESS_DENIED);
    if (!::MoveFileExW(ToWin32Path(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return LastError();
    return Status::Ok();
  }

  // The platform's own copy routine does the copying, so that a copy carries
  // what a copy in Explorer carries: the named streams (among them
  // Zone.Identifier, the mark of a download that the warnings before opening
  // it rely on), the attributes, the last-write time, encryption (a file that
  // cannot stay encrypted where it goes is refused, not decrypted) and the
  // sparse and compressed state. Wine's file systems have no named streams,
  // and its copy carries attributes and the last-write time.
  Status CopyToNewFile(const std::u16string& from, const std::u16string& to, const CopySettings& settings,
                       CopyReport* report) override {
    // Readers may share, writers may not: a file still being written is
    // refused with a sharing violation instead of being copied half, and
    // nobody writes to it while the copy reads it. A folder cannot be opened
    // like this at all.
    FileHandle source(::CreateFileW(ToWin32Path(from).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.Valid()) return LastError();
    FileStamp sourceStamp;
    if (report != nullptr) {
      const Status stamped = StampOf(source.Get(), sourceStamp);
      if (!stamped.IsOk()) return stamped;
    }
    FILETIME created{};
    FILETIME written{};
    if (settings.AllTimes && !::GetFileTime(source.Get(), &created, nullptr, &written)) return LastError();

    const std::wstring target = ToWin32Path(to);
    HeldCopy held;
    // Without the symlink flag a link is copied as what it leads to.
    const BOOL copied = ::CopyFileExW(ToWin32Path(from).c_str(), target.c_str(), HoldDestination, &held, nullptr,
                                      COPY_FILE_FAIL_IF_EXISTS);
    const DWORD copyError = copied ? ERROR_SUCCESS : ::GetLastError();
    source = FileHandle(INVALID_HANDLE_VALUE);
    // Anything there before is someone else's and stays untouched.
    if (copyError == ERROR_FILE_EXISTS || copyError == ERROR_ALREADY_EXISTS) return FromWin32Error(copyError);

    Status status = copied ? Status::Ok() : FromWin32Error(copyError);
    if (status.IsOk() && !held.Destination.Valid()) {
      // No stream was announced (Wine 8 calls no progress routine at all):
      // the copy is opened again to be flushed. Until then another engine's
      // clean-up could take it for a leftover; this copy then fails and its
      // source stays.
      status = HoldWrittenCopy(target, held.Destination);
    }
    if (status.IsOk() && report != nullptr) {
      report->Source = sourceStamp;
      status = FileIndexOf(held.Destination.Get(), report->CopyId);
    }
    // Times and attributes before the flush, which makes them durable with
    // the contents (the held handle has write access, attributes included).
    if (status.IsOk() && settings.AllTimes && !::SetFileTime(held.Destination.Get(), &created, nullptr, &written)) {
      status = LastError();
    }
    if (status.IsOk()) status = SetAttributes(to, settings.Attributes);
    if (status.IsOk() && settings.FlushLater) {
      copies_.Hold(to, std::move(held.Destination));
      return status;
    }
    if (status.IsOk() && flushing_ == Flushing::Always && !::FlushFileBuffers(held.Destination.Get())) {
      status = LastError();
    }
    if (held.Destination.Valid() && !held.Destination.Close() && status.IsOk()) status = LastError();
    if (!status.IsOk()) {
      ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(target.c_str());
    }
    return status;
  }

  // Each flush through the handle the copy was written by, closed after it.
  // Under Wine FlushFileBuffers is an fsync in the calling thread, so the
  // pool's threads flush at once there too.
  void StartFlushingCopies(const std::vector<std::u16string>& paths) override {
    copies_.StartFlushing(
        paths,
        [](const std::u16string& path, FileHandle& file) {
          file = FileHandle(::CreateFileW(ToWin32Path(path).c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
          return file.Valid() ? Status::Ok() : LastError();
        },
        [this](FileHandle& file) {
          Status status;
          if (flushing_ == Flushing::Always && !::FlushFileBuffers(file.Get())) status = LastError();
          if (!file.Close() && status.IsOk()) status = LastError();
          return status;
        });
  }

  void FinishFlushingCopies(std::vector<Status>& results) override { results = copies_.FinishFlushing(); }

  // Opened without sharing write or delete, the file can be neither written,
  // renamed nor removed by anyone else between the look and the removal,
  // and a writer that has it open keeps it from being opened at all. The
  // removal is the handle's delete disposition, done as it closes. A link
  // is looked at through what it leads to, as the copy read it, and the
  // link itself is what goes.
  Status RemoveFileIfUnchanged(const std::u16string& path, const FileStamp& expected, bool& changed) override {
    changed = false;
    const std::wstring native = ToWin32Path(path);
    FileHandle file(::CreateFileW(native.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.Valid()) return LastError();
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (!::GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof tag)) return LastError();
    const bool link = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                      (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK || tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT);
    FileHandle target(INVALID_HANDLE_VALUE);
    if (link) {
      target = FileHandle(::CreateFileW(native.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
      if (!target.Valid()) return LastError();
    }
    FileStamp now;
    const Status stamped = StampOf(link ? target.Get() : file.Get(), now);
    if (!stamped.IsOk()) return stamped;
    if ((tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !expected.Matches(now)) {
      changed = true;
      return Status::Ok();
    }
    if (!link && ReachedThroughAHiddenLink(file.Get(), native)) {
      return Status::Error(StatusCode::Unsupported, 0, "a link that shows as the file it leads to");
    }
    // The disposition refuses a read-only file; the bit comes back if the
    // removal does not happen.
    const bool readOnly = (tag.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    const DWORD settable =
        tag.FileAttributes & (kKeptWhenSetting | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    FILE_BASIC_INFO basic{};  // times of 0 are left as they are
    if (readOnly) {
      basic.FileAttributes = settable & ~DWORD{FILE_ATTRIBUTE_READONLY};
      if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
      if (!::SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic)) return LastError();
    }
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = TRUE;
    if (!::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition, sizeof disposition)) {
      const Status status = LastError();
      if (readOnly) {
        basic.FileAttributes = settable;
        ::SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic);
      }
      return status;
    }
    if (!file.Close()) return LastError();
    return Status::Ok();
  }

  Status CopyTimes(const std::u16string& from, const std::u16string& to) override {
    const FileHandle source = OpenForAttributes(ToWin32Path(from), FILE_READ_ATTRIBUTES);
    if (!source.Valid()) return LastError();
    FILETIME created;
    FILETIME written;
    if (!::GetFileTime(source.Get(), &created, nullptr, &written)) return LastError();
    const FileHandle target = OpenForAttributes(ToWin32Path(to), FILE_WRITE_ATTRIBUTES);
    if (!target.Valid() || !::SetFileTime(target.Get(), &created, nullptr, &written)) return LastError();
    return Status::Ok();
  }

  Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) override {
    const std::wstring native = ToWin32Path(path);
    const DWORD current = ::GetFileAttributesW(native.c_str());
    if (current == INVALID_FILE_ATTRIBUTES) return LastError();
    DWORD wanted = (current & kKeptWhenSetting) | AttributeBits(attributes);
    if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;
    const DWORD ours = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((current & ours) == (wanted & ours)) return Status::Ok();
    if (!::SetFileAttributesW(native.c_str(), wanted)) return LastError();
    return Status::Ok();
  }

  Status RemoveFile(const std::u16string& path) override {
    if (!::DeleteFileW(ToWin32Path(path).c_str())) return LastError();
    return Status::Ok();
  }

  Status RemoveEmptyFolder(const std::u16string& path) override {
    if (!::RemoveDirectoryW(ToWin32Path(path).c_str())) return LastError();
    return Status::Ok();
  }

  // NTFS journals its renames; a folder handle flush forces the journal out.
  // A share or a file system that cannot flush a folder refuses in one of
  // these ways (Wine: ERROR_INVALID_PARAMETER, e.g. on /proc); the engine
  // then keeps the source of a move until a later pass.
  Status FlushFolder(const std::u16string& folder) override {
    if (flushing_ == Flushing::Skipped) return Status::Ok();
    FileHandle handle(::CreateFileW(ToWin32Path(folder).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid() || !::FlushFileBuffers(handle.Get())) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return FromWin32Error(error);
      if (error == ERROR_ACCESS_DENIED || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
          error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_HANDLE) {
        return Status::Error(StatusCode::Unsupported, static_cast<int32_t>(error), "the folder cannot be flushed");
      }
      return FromWin32Error(error);
    }
    return Status::Ok();
  }

  // Also what ProbeInUse asks: a temporary being written is held without
  // sharing. Wine keeps sharing modes in its wineserver, so two Wine
  // prefixes (two servers) do not see each other's; Windows, and a Windows
  // file server between two computers, do.
  Status TryOpenExclusive(const std::u16string& path) override {
    FileHandle handle(::CreateFileW(ToWin32Path(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) return LastError();
    return Status::Ok();
  }

  Status CompareContent(const std::u16string& a, const std::u16string& b, bool& same) override {
    same = false;
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    FileHandle first(::CreateFileW(ToWin32Path(a).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!first.Valid()) return LastError();
    FileHandle second(::CreateFileW(ToWin32Path(b).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!second.Valid()) return LastError();
    constexpr DWORD kPiece = 1 << 16;
    const std::unique_ptr<char[]> buffers(new char[2 * kPiece]);
    for (;;) {
      DWORD gotA = 0;
      DWORD gotB = 0;
      if (!ReadFully(first.Get(), buffers.get(), kPiece, gotA) ||
          !ReadFully(second.Get(), buffers.get() + kPiece, kPiece, gotB)) {
        return LastError();
      }
      if (gotA != gotB || std::memcmp(buffers.get(), buffers.get() + kPiece, gotA) != 0) return Status::Ok();
      if (gotA == 0) break;
    }
    same = true;
    return Status::Ok();
  }

 private:
  const Flushing flushing_;
  HeldCopies<FileHandle> copies_;
};

}  // namespace

std::unique_ptr<FileSystem> MakePlatformFileSystem(Flushing flushing) {
  return std::make_unique<Win32FileSystem>(flushing);
}

}  // namespace savrin
