#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace savrin {

enum class FsCall {
  ListFolder,
  GetInfo,
  GetIdentity,
  CreateFolder,
  MoveNoReplace,
  MoveReplace,
  CopyToNewFile,
  SetAttributes,
  RemoveFile,
  RemoveEmptyFolder,
  FlushFolder,
  FlushCopy,  // one path of a FlushCopies batch
  TryOpenExclusive,
  ProbeInUse,
  CompareContent,
};
const char* FsCallName(FsCall kind);

struct FsCallRecord {
  FsCall kind = FsCall::ListFolder;
  int ordinal = 0;   // 1 for the first call of this kind
  size_t index = 0;  // 0 for the first call of any kind
  std::u16string path;
  std::u16string otherPath;  // the target of a move or copy
};

// Wraps a file system and records every call. Calls can be made to fail
// without reaching the inner file system, one of a kind, all that meet a
// condition, or all from some point on (the process died there); and a hook
// can act on the disk just before a call goes through, to stage races.
// Folders keep the spelling they are given (FolderForNames is not passed
// on), so that conditions on paths read as the test wrote them.
class FaultInjectingFileSystem final : public FileSystem {
 public:
  using Condition = std::function<bool(const FsCallRecord&)>;
  using Action = std::function<Status(const FsCallRecord&)>;

  explicit FaultInjectingFileSystem(FileSystem& inner) : inner_(inner) {}

  void FailNth(FsCall kind, int nth, Status status);
  // The nth call of `kind` runs `instead` in place of the real call, e.g. to
  // leave a torn file behind, and reports what it returns.
  void ReplaceNth(FsCall kind, int nth, Action instead);
  void FailWhen(FsCall kind, Condition when, Status status);
  // The call with this index and every call after it fail with IoError, as
  // if the process had died there. `atCrash`, if given, runs in place of the
  // call at the index, e.g. to leave a half-written file behind.
  void CrashAt(size_t index, Action atCrash = {});
  void SetHook(std::function<void(const FsCallRecord&)> hook) { hook_ = std::move(hook); }

  const std::vector<FsCallRecord>& Calls() const { return calls_; }
  int CountOf(FsCall kind) const;

  Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) override;
  Status GetInfo(const std::u16string& path, FileInfo& info) override;
  Status GetIdentity(const std::u16string& path, FileInfo& info) override;
  // Times only, never failed on purpose.
  Status CopyTimes(const std::u16string& from, const std::u16string& to) override {
    return inner_.CopyTimes(from, to);
  }
  // Read only, never failed on purpose.
  Status ResolvedPath(const std::u16string& path, std::u16string& resolved) override {
    return inner_.ResolvedPath(path, resolved);
  }
  Status CreateFolder(const std::u16string& path) override;
  Status MoveNoReplace(const std::u16string& from, const std::u16string& to) override;
  Status MoveReplace(const std::u16string& from, const std::u16string& to) override;
  Status CopyToNewFile(const std::u16string& from, const std::u16string& to, const CopySettings& settings,
                       CopyReport* report) override;
  Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) override;
  Status RemoveFile(const std::u16string& path) override;
  Status RemoveEmptyFolder(const std::u16string& path) override;
  Status FlushFolder(const std::u16string& folder) override;
  // Each path is a call of its own (FlushCopy), failed on its own; the rest
  // go through together.
  void StartFlushingCopies(const std::vector<std::u16string>& paths) override;
  void FinishFlushingCopies(std::vector<Status>& results) override;
  Status TryOpenExclusive(const std::u16string& path) override;
  Status ProbeInUse(const std::u16string& path) override;
  Status CompareContent(const std::u16string& a, const std::u16string& b, bool& same) override;

 private:
  struct Fault {
    FsCall kind;
    Condition when;
    Action instead;
  };
  // Records the call, runs the hook, and returns the injected result if a
  // fault applies (the call then must not go through).
  bool Intercept(FsCall kind, const std::u16string& path, const std::u16string& otherPath, Status& injected);

  FileSystem& inner_;
  std::vector<FsCallRecord> calls_;
  std::vector<Fault> faults_;
  size_t crashAt_ = static_cast<size_t>(-1);
  Action atCrash_;
  std::function<void(const FsCallRecord&)> hook_;
  std::vector<Status> flushResults_;  // of the batch in flight; Ok where it went through
  std::vector<size_t> flushedThrough_;
};

}  // namespace savrin
