#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/status.h"

namespace savrin {

// The three attributes the engine carries from a source to its copy and
// clears or sets on its own files. POSIX has no hidden or system bit (a name
// beginning with '.' reads as hidden there); read-only is the owner's
// missing write permission.
struct FileAttributes {
  bool ReadOnly = false;
  bool Hidden = false;
  bool System = false;

  friend bool operator==(const FileAttributes& a, const FileAttributes& b) {
    return a.ReadOnly == b.ReadOnly && a.Hidden == b.Hidden && a.System == b.System;
  }
};

struct FileInfo {
  std::u16string Name;  // the long name; GetInfo gives the last component of the path asked for
  bool IsFolder = false;
  bool IsLink = false;  // a symbolic link or junction; never followed into by a tree copy
  FileAttributes Attributes;
  uint64_t Size = 0;
  // Last write time in the platform's own ticks, only ever compared for equality.
  int64_t Modified = 0;
  // Which volume and which file on it, from GetIdentity (and GetInfo where
  // it is as cheap); 0 when unknown.
  uint64_t VolumeId = 0;
  uint64_t FileId = 0;
  // The change time, which also moves when only the file's metadata
  // changes, in the platform's ticks; 0 where the platform or the call
  // gives none.
  int64_t Changed = 0;
};

// What tells one state of one file from another: a later look that finds
// the same stamp finds the file as it was. A part that is 0 on either side
// is not known there and is not compared.
struct FileStamp {
  uint64_t Size = 0;
  int64_t Modified = 0;
  uint64_t FileId = 0;
  int64_t Changed = 0;

  static FileStamp Of(const FileInfo& info) { return {info.Size, info.Modified, info.FileId, info.Changed}; }
  bool Matches(const FileStamp& now) const {
    return Size == now.Size && Modified == now.Modified && (FileId == 0 || now.FileId == 0 || FileId == now.FileId) &&
           (Changed == 0 || now.Changed == 0 || Changed == now.Changed);
  }
};

// What CopyToNewFile saw: the new file's id on its volume, as GetIdentity
// reports it, and the source's stamp as it was read, where the backend can
// tell them without extra cost (0 otherwise).
struct CopyReport {
  uint64_t CopyId = 0;
  FileStamp Source;
};

// What CopyToNewFile gives the new file before it flushes it, so that the
// copy reaches the disk with them or not at all: an arrival that came back
// after a power cut with its name but not its attributes (hidden, as the
// temporary once was) or not its time (no longer known for the copy it is)
// would be lost to sight.
struct CopySettings {
  FileAttributes Attributes;
  // Every time the source has (on Win32 the creation time too), as a move
  // keeps them; any copy keeps the last-write time.
  bool AllTimes = false;
  // Not flushed yet: the copy stays held, as while it is written, until
  // StartFlushingCopies flushes it together with others.
  bool FlushLater = false;
};

// Everything the file-operation engine does to the disk goes through this
// seam, one call per step, so a fake can stand in for the disk and a wrapper
// can fail any single step. Paths are full paths in which '\' and '/' both
// separate. No call follows up with a second attempt of its own: retrying is
// the engine's decision.
//
// Threads: an instance is used by one thread at a time, and the program
// gives each thread that needs one its own: the main window has one for the
// pass on the user-interface thread and one for the engine on the
// file-operation thread. The platform backends keep the copies they hold
// until a flush (FlushLater) in a table of their own, and fakes and wrappers
// (the tests' in-memory disk, the fault-injecting and power-cut file
// systems) keep their state without locks: the seam promises no more than
// that. The flushes a backend starts run on the flush pool's threads
// (flush_pool.h), each on a handle the backend hands over and takes back
// when the batch is waited for. An instance made on one thread and used on
// another (the worker's, made with the window) passes between them through
// a synchronising step, such as the thread's start or join.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The entries of a folder, without "." and "..". NotFound when the folder
  // does not exist.
  virtual Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) = 0;
  // The folder's path in the form this backend takes names appended to it
  // verbatim: a name listed from the disk or typed in a rule is then used as
  // it is, a trailing dot or space or a device name ("report.", "NUL.txt")
  // included. The engine asks once for each folder it works in.
  virtual std::u16string FolderForNames(const std::u16string& folder) { return folder; }
  // Only the names of the entries ListFolder gives. A backend overrides it
  // where names come cheaper than whole entries (POSIX: no stat for each);
  // an entry removed meanwhile may still be named.
  virtual Status ListNames(const std::u16string& folder, std::vector<std::u16string>& names) {
    std::vector<FileInfo> entries;
    const Status status = ListFolder(folder, entries);
    names.clear();
    for (FileInfo& entry : entries) names.push_back(std::move(entry.Name));
    return status;
  }
  virtual Status GetInfo(const std::u16string& path, FileInfo& info) = 0;
  // GetInfo with VolumeId, FileId and Changed filled in wherever the
  // platform knows them; a backend whose GetInfo leaves them out for speed
  // reads them here.
  virtual Status GetIdentity(const std::u16string& path, FileInfo& info) { return GetInfo(path, info); }
  // The path of what `path` names as the disk has it, every link, junction
  // and drive alias on the way resolved, in a form ComparablePath can set
  // beside others of this backend's. NotFound when nothing is there.
  virtual Status ResolvedPath(const std::u16string& path, std::u16string& resolved) {
    resolved = path;
    return Status::Ok();
  }
  // One folder, whose parent must exist. Exists when anything has that name.
  virtual Status CreateFolder(const std::u16string& path) = 0;
  // Renames a file or folder, failing with Exists if `to` is taken, checked
  // and done as one step. CrossDevice when `to` is on another volume.
  virtual Status MoveNoReplace(const std::u16string& from, const std::u16string& to) = 0;
  // Renames a file over an existing file in one step, so that `to` always
  // names one complete file. Never replaces a folder (AccessDenied).
  virtual Status MoveReplace(const std::u16string& from, const std::u16string& to) = 0;
  // Creates `to` as a new file (Exists if anything has that name), copies
  // the content of `from` into it while no one else may write to `from`,
  // gives it the modification time of `from` and what `settings` asks, and
  // flushes it to the disk, all of that, before it returns (unless the
  // settings leave the flush for FlushCopies). While it writes, the new
  // file is held so that ProbeInUse on it reports SharingViolation to
  // anyone else. `report`, when given, receives what the copy saw. On
  // failure `to` is removed again as far as possible.
  virtual Status CopyToNewFile(const std::u16string& from, const std::u16string& to, const CopySettings& settings,
                               CopyReport* report) = 0;
  // Starts flushing copies made with FlushLater, all at once, and returns
  // without waiting for them: the caller may go on copying meanwhile.
  // FinishFlushingCopies waits. One such batch is in flight at a time. A
  // path no copy of this instance holds is opened and flushed all the same.
  virtual void StartFlushingCopies(const std::vector<std::u16string>& paths) { copiesToFlush_ = paths; }
  // The batch started last, one status per path: its flushes finish in any
  // order, and one that fails fails only its own copy. Afterwards none of
  // them is held any more. This default, for a backend whose copies are
  // durable when made, flushes nothing.
  virtual void FinishFlushingCopies(std::vector<Status>& results) {
    results.assign(copiesToFlush_.size(), Status::Ok());
    copiesToFlush_.clear();
  }
  // Both, for a batch the caller waits for.
  void FlushCopies(const std::vector<std::u16string>& paths, std::vector<Status>& results) {
    StartFlushingCopies(paths);
    FinishFlushingCopies(results);
  }
  virtual Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) = 0;
  // Gives the file or folder `to` the times of `from`: what a move keeps
  // when it has to copy (the creation and last-write times on Win32, the
  // access and modification times on POSIX). A backend that keeps no times
  // of its own does nothing.
  virtual Status CopyTimes(const std::u16string& /*from*/, const std::u16string& /*to*/) { return Status::Ok(); }
  virtual Status RemoveFile(const std::u16string& path) = 0;
  // Removes the file at `path`, read-only or not, only while it is still the
  // file `expected` stamps; `changed` says when it was left for that. Win32
  // looks and removes through one handle that keeps writers, renamers and
  // removers out in between. POSIX has no removal through a descriptor: the
  // look comes just before the removal, and a writer that opens the file in
  // that moment writes to a file no folder holds any more. This default is
  // that sequence, made of the calls above.
  virtual Status RemoveFileIfUnchanged(const std::u16string& path, const FileStamp& expected, bool& changed);
  // NotEmpty while the folder holds anything.
  virtual Status RemoveEmptyFolder(const std::u16string& path) = 0;
  // Makes the entries of a folder durable (names made, renamed in or out,
  // removed), so that a removal that follows on another volume cannot reach
  // the disk before them. Unsupported when the volume cannot flush a folder
  // (a network share, some file systems): its names are then not known to be
  // durable, and the caller must not act as if they were.
  virtual Status FlushFolder(const std::u16string& folder) = 0;
  // SharingViolation when another process holds the file open in a way that
  // keeps an exclusive open out.
  virtual Status TryOpenExclusive(const std::u16string& path) = 0;
  // SharingViolation while a temporary file of the engine's is held by the
  // CopyToNewFile that writes it, in this process or another. Where sharing
  // modes exist that is the exclusive open; elsewhere a lock stands in.
  virtual Status ProbeInUse(const std::u16string& path) { return TryOpenExclusive(path); }
  // Whether two files hold the same bytes; read only when their sizes and
  // times already agree.
  virtual Status CompareContent(const std::u16string& a, const std::u16string& b, bool& same) = 0;

 protected:
  std::vector<std::u16string> copiesToFlush_;  // the default's batch in flight
};

// Whether a copy is flushed to the disk before it is renamed into place, and
// a folder before a source is removed. The program always flushes; only the
// benchmark leaves it out, to measure what the crash safety costs.
enum class Flushing { Always, Skipped };

// The backend of the platform this was built for (Win32 or POSIX).
std::unique_ptr<FileSystem> MakePlatformFileSystem(Flushing flushing = Flushing::Always);

}  // namespace savrin
