
#include "platform/path_text.h"
#include "sorting/operation_run.h"

// Removing: a moved source once its copy is durable, a copy taken back
// when its source has to stay, and trees of our own.

namespace savrin::operation {

Status OperationRun::Discard(const std::u16string& path) {
  Status status = fs_.RemoveFile(path);
  if (status.Code == StatusCode::AccessDenied && fs_.SetAttributes(path, FileAttributes{}).IsOk()) {
    status = fs_.RemoveFile(path);
  }
  return status.Code == StatusCode::NotFound ? Status::Ok() : status;
}

// Removes a folder of our own with all it holds. Walked with a list, not
// by recursion: a tree as deep as a long path allows would outgrow a
// thread's stack. What leads elsewhere (a link Wine shows as a plain
// folder or file) is left, and the folders holding it with it.
Status OperationRun::RemoveTree(const std::u16string& root) {
  std::vector<std::u16string> folders{root};
  std::vector<std::u16string> resolved{Resolved(root)};
  Status result;
  for (size_t next = 0; next < folders.size(); ++next) {
    std::vector<FileInfo> entries;
    const Status listed = fs_.ListFolder(folders[next], entries);
    if (!listed.IsOk() && result.IsOk()) result = listed;
    for (const FileInfo& entry : entries) {
      const std::u16string path = JoinPath(folders[next], entry.Name);
      std::u16string here;
      if (!entry.IsLink && LeadsElsewhere(resolved[next], path, entry.Name, here)) {
        if (result.IsOk()) result = Status::Error(StatusCode::Unsupported, 0, "a link inside");
        continue;
      }
      if (entry.IsFolder && !entry.IsLink) {
        folders.push_back(path);
        resolved.push_back(std::move(here));
        continue;
      }
      const Status status = entry.IsFolder ? fs_.RemoveEmptyFolder(path) : Discard(path);
      if (!status.IsOk() && result.IsOk()) result = status;
    }
  }
  for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
    const Status status = fs_.RemoveEmptyFolder(*folder);
    if (!status.IsOk() && status.Code != StatusCode::NotFound && result.IsOk()) result = status;
  }
  return result;
}

// Undoes an arrival whose source has to stay, so that a move happens whole
// or not at all: only while the source is still there, and only the very
// file this run made (by its id, not by its size and time, which another
// run's copy of the same source shares). A copy that replaced a file stays:
// the file it replaced is gone either way, and the name should at least
// hold the new one. A duplicate is better than a loss.
Placement OperationRun::TakeBackFile(Placement placed, const std::u16string& source, uint64_t copyId,
                                     ItemOutcome outcome, Status status) {
  const std::u16string path = JoinPath(targetFolder_, placed.Name);
  FileInfo now;
  FileInfo sourceNow;
  const bool ours = placed.Outcome != ItemOutcome::Replaced && copyId != 0 && fs_.GetIdentity(path, now).IsOk() &&
                    !now.IsFolder && now.FileId == copyId && fs_.GetInfo(source, sourceNow).IsOk();
  return Settle(std::move(placed), ours && Discard(path).IsOk(), outcome, std::move(status));
}

Placement OperationRun::TakeBackFolder(Placement placed, const TreeCopy& copy, ItemOutcome outcome, Status status) {
  const std::u16string path = JoinPath(targetFolder_, placed.Name);
  bool removed = true;
  for (const CopiedFile& file : copy.Files) removed = Discard(JoinPath(path, file.Relative)).IsOk() && removed;
  for (auto folder = copy.Folders.rbegin(); folder != copy.Folders.rend(); ++folder) {
    const Status folderStatus = fs_.RemoveEmptyFolder(folder->empty() ? path : JoinPath(path, *folder));
    removed = (folderStatus.IsOk() || folderStatus.Code == StatusCode::NotFound) && removed;
  }
  return Settle(std::move(placed), removed, outcome, std::move(status));
}

Placement OperationRun::Settle(Placement placed, bool takenBack, ItemOutcome outcome, Status status) {
  if (takenBack) Forget(placed.Name);
  placed.Outcome = takenBack ? outcome : ItemOutcome::SourceKept;
  placed.StepStatus = std::move(status);
  return placed;
}

// Only while it is still the file that was copied; a read-only one goes
// as the shell's move removes it.
Placement OperationRun::RemoveMovedSource(const PendingCopy& copy, Placement placed) {
  bool changed = false;
  const Status status = fs_.RemoveFileIfUnchanged(copy.source, StampOfCopied(copy.before, copy.report), changed);
  // Gone meanwhile (another run moved it, or its owner removed it): the
  // copy is whole and stays.
  if (status.Code == StatusCode::NotFound) return placed;
  if (status.IsOk() && changed) {
    return TakeBackFile(std::move(placed), copy.source, copy.report.CopyId, ItemOutcome::SourceChanged, Status::Ok());
  }
  if (!status.IsOk())
    return TakeBackFile(std::move(placed), copy.source, copy.report.CopyId, OutcomeOf(status), status);
  return placed;
}

Placement OperationRun::KeepSource(Placement placed, Status status) {
  placed.Outcome = ItemOutcome::SourceKept;
  placed.StepStatus = std::move(status);
  return placed;
}

// Removes from the source what was copied and is still as it was copied.
// Until the first removal succeeds the move can still be undone whole,
// when `mayTakeBack` (the copy is this run's own). A file already gone
// from the source counts as removed: its copy is all that is left of it.
Placement OperationRun::RemoveCopiedSource(const std::u16string& sourceRoot, const TreeCopy& copy, Placement placed,
                                           bool mayTakeBack) {
  bool removedAny = false;
  Status firstFailure;
  auto failure = [&](const Status& status, ItemOutcome outcome) -> bool {
    if (firstFailure.IsOk()) {
      firstFailure = status.IsOk() ? Status::Error(StatusCode::IoError, 0, "changed since copied") : status;
    }
    if (!removedAny && mayTakeBack) {
      placed = TakeBackFolder(std::move(placed), copy, outcome, firstFailure);
      return true;
    }
    return false;
  };
  const std::u16string copyRoot = JoinPath(targetFolder_, placed.Name);
  for (const CopiedFile& file : copy.Files) {
    const std::u16string path = JoinPath(sourceRoot, file.Relative);
    FileInfo now;
    Status status = fs_.GetInfo(path, now);
    if (status.IsOk() && !Unchanged(file.Before, now)) {
      if (failure(Status::Ok(), ItemOutcome::SourceChanged)) return placed;
      continue;
    }
    // A source goes only while its copy is there: another run's clean-up,
    // on a share where two computers see no sharing modes of each other's,
    // may have emptied our temporary folder while it was being filled.
    FileInfo copied;
    if (status.IsOk() && (!fs_.GetInfo(JoinPath(copyRoot, file.Relative), copied).IsOk() || copied.IsFolder ||
                          copied.Size != file.Before.Size)) {
      if (failure(Status::Error(StatusCode::IoError, 0, "the copy is gone"), ItemOutcome::Failed)) return placed;
      continue;
    }
    bool changed = false;
    if (status.IsOk()) status = fs_.RemoveFileIfUnchanged(path, file.Stamp, changed);
    if (status.IsOk() && changed) {
      if (failure(Status::Ok(), ItemOutcome::SourceChanged)) return placed;
      continue;
    }
    if (status.IsOk() || status.Code == StatusCode::NotFound) {
      removedAny = true;
    } else if (failure(status, OutcomeOf(status))) {
      return placed;
    }
  }
  for (auto folder = copy.Folders.rbegin(); folder != copy.Folders.rend(); ++folder) {
    const Status status = fs_.RemoveEmptyFolder(folder->empty() ? sourceRoot : JoinPath(sourceRoot, *folder));
    if (status.IsOk() || status.Code == StatusCode::NotFound) {
      removedAny = true;
    } else if (failure(status, OutcomeOf(status))) {
      return placed;
    }
  }
  if (!firstFailure.IsOk()) {
    placed.Outcome = ItemOutcome::SourceKept;
    placed.StepStatus = firstFailure;
  }
  return placed;
}

}  // namespace savrin::operation
