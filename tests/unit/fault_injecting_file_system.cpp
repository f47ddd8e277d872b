#include "tests/unit/fault_injecting_file_system.h"

namespace savrin {

const char* FsCallName(FsCall kind) {
  switch (kind) {
    case FsCall::ListFolder: return "ListFolder";
    case FsCall::GetInfo: return "GetInfo";
    case FsCall::GetIdentity: return "GetIdentity";
    case FsCall::CreateFolder: return "CreateFolder";
    case FsCall::MoveNoReplace: return "MoveNoReplace";
    case FsCall::MoveReplace: return "MoveReplace";
    case FsCall::CopyToNewFile: return "CopyToNewFile";
    case FsCall::SetAttributes: return "SetAttributes";
    case FsCall::RemoveFile: return "RemoveFile";
    case FsCall::RemoveEmptyFolder: return "RemoveEmptyFolder";
    case FsCall::FlushFolder: return "FlushFolder";
    case FsCall::FlushCopy: return "FlushCopy";
    case FsCall::TryOpenExclusive: return "TryOpenExclusive";
    case FsCall::ProbeInUse: return "ProbeInUse";
    case FsCall::CompareContent: return "CompareContent";
  }
  return "?";
}

void FaultInjectingFileSystem::FailNth(FsCall kind, int nth, Status status) {
  faults_.push_back({kind, [nth](const FsCallRecord& call) { return call.ordinal == nth; },
                     [status](const FsCallRecord&) { return status; }});
}

void FaultInjectingFileSystem::ReplaceNth(FsCall kind, int nth, Action instead) {
  faults_.push_back({kind, [nth](const FsCallRecord& call) { return call.ordinal == nth; }, std::move(instead)});
}

void FaultInjectingFileSystem::FailWhen(FsCall kind, Condition when, Status status) {
  faults_.push_back({kind, std::move(when), [status](const FsCallRecord&) { return status; }});
}

void FaultInjectingFileSystem::CrashAt(size_t index, Action atCrash) {
  crashAt_ = index;
  atCrash_ = std::move(atCrash);
}

int FaultInjectingFileSystem::CountOf(FsCall kind) const {
  int count = 0;
  for (const FsCallRecord& call : calls_) count += call.kind == kind ? 1 : 0;
  return count;
}

bool FaultInjectingFileSystem::Intercept(FsCall kind, const std::u16string& path, const std::u16string& otherPath,
                                         Status& injected) {
  FsCallRecord call;
  call.kind = kind;
  call.ordinal = CountOf(kind) + 1;
  call.index = calls_.size();
  call.path = path;
  call.otherPath = otherPath;
  calls_.push_back(call);
  if (call.index >= crashAt_) {
    if (call.index == crashAt_ && atCrash_) atCrash_(call);
    injected = Status::Error(StatusCode::IoError, 0, "crashed");
    return true;
  }
  if (hook_) hook_(call);
  for (const Fault& fault : faults_) {
    if (fault.kind == kind && fault.when(call)) {
      injected = fault.instead(call);
      return true;
    }
  }
  return false;
}

Status FaultInjectingFileSystem::ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) {
  Status injected;
  if (Intercept(FsCall::ListFolder, folder, {}, injected)) {
    entries.clear();
    return injected;
  }
  return inner_.ListFolder(folder, entries);
}

Status FaultInjectingFileSystem::GetInfo(const std::u16string& path, FileInfo& info) {
  Status injected;
  if (Intercept(FsCall::GetInfo, path, {}, injected)) return injected;
  return inner_.GetInfo(path, info);
}

Status FaultInjectingFileSystem::GetIdentity(const std::u16string& path, FileInfo& info) {
  Status injected;
  if (Intercept(FsCall::GetIdentity, path, {}, injected)) return injected;
  return inner_.GetIdentity(path, info);
}

Status FaultInjectingFileSystem::CreateFolder(const std::u16string& path) {
  Status injected;
  if (Intercept(FsCall::CreateFolder, path, {}, injected)) return injected;
  return inner_.CreateFolder(path);
}

Status FaultInjectingFileSystem::MoveNoReplace(const std::u16string& from, const std::u16string& to) {
  Status injected;
  if (Intercept(FsCall::MoveNoReplace, from, to, injected)) return injected;
  return inner_.MoveNoReplace(from, to);
}

Status FaultInjectingFileSystem::MoveReplace(const std::u16string& from, const std::u16string& to) {
  Status injected;
  if (Intercept(FsCall::MoveReplace, from, to, injected)) return injected;
  return inner_.MoveReplace(from, to);
}

Status FaultInjectingFileSystem::CopyToNewFile(const std::u16string& from, const std::u16string& to,
                                               const CopySettings& settings, CopyReport* report) {
  Status injected;
  if (Intercept(FsCall::CopyToNewFile, from, to, injected)) return injected;
  return inner_.CopyToNewFile(from, to, settings, report);
}

Status FaultInjectingFileSystem::SetAttributes(const std::u16string& path, const FileAttributes& attributes) {
  Status injected;
  if (Intercept(FsCall::SetAttributes, path, {}, injected)) return injected;
  return inner_.SetAttributes(path, attributes);
}

Status FaultInjectingFileSystem::RemoveFile(const std::u16string& path) {
  Status injected;
  if (Intercept(FsCall::RemoveFile, path, {}, injected)) return injected;
  return inner_.RemoveFile(path);
}

Status FaultInjectingFileSystem::RemoveEmptyFolder(const std::u16string& path) {
  Status injected;
  if (Intercept(FsCall::RemoveEmptyFolder, path, {}, injected)) return injected;
  return inner_.RemoveEmptyFolder(path);
}

Status FaultInjectingFileSystem::FlushFolder(const std::u16string& folder) {
  Status injected;
  if (Intercept(FsCall::FlushFolder, folder, {}, injected)) return injected;
  return inner_.FlushFolder(folder);
}

Status FaultInjectingFileSystem::TryOpenExclusive(const std::u16string& path) {
  Status injected;
  if (Intercept(FsCall::TryOpenExclusive, path, {}, injected)) return injected;
  return inner_.TryOpenExclusive(path);
}

Status FaultInjectingFileSystem::ProbeInUse(const std::u16string& path) {
  Status injected;
  if (Intercept(FsCall::ProbeInUse, path, {}, injected)) return injected;
  return inner_.ProbeInUse(path);
}

Status FaultInjectingFileSystem::CompareContent(const std::u16string& a, const std::u16string& b, bool& same) {
  Status injected;
  if (Intercept(FsCall::CompareContent, a, b, injected)) return injected;
  return inner_.CompareContent(a, b, same);
}

void FaultInjectingFileSystem::StartFlushingCopies(const std::vector<std::u16string>& paths) {
  flushResults_.assign(paths.size(), Status::Ok());
  flushedThrough_.clear();
  std::vector<std::u16string> through;
  for (size_t i = 0; i < paths.size(); ++i) {
    Status injected;
    if (Intercept(FsCall::FlushCopy, paths[i], {}, injected)) {
      flushResults_[i] = injected;
      // A flush that fails still lets go of its copy, as the platform's
      // does; a process that died lets go of nothing.
      if (calls_.back().index >= crashAt_) continue;
    }
    through.push_back(paths[i]);
    flushedThrough_.push_back(i);
  }
  inner_.StartFlushingCopies(through);
}

void FaultInjectingFileSystem::FinishFlushingCopies(std::vector<Status>& results) {
  std::vector<Status> passed;
  inner_.FinishFlushingCopies(passed);
  for (size_t k = 0; k < flushedThrough_.size() && k < passed.size(); ++k) {
    Status& result = flushResults_[flushedThrough_[k]];
    if (result.IsOk()) result = passed[k];
  }
  results = std::move(flushResults_);
  flushResults_.clear();
}

}  // namespace savrin
