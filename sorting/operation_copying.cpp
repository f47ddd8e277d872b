
#include "platform/path_text.h"
#include "sorting/operation_run.h"
#include "sorting/temporary_name.h"

// Copying: a file into a temporary of its own, flushed with the others of
// its batch while the next batch is copied; a folder as a whole tree.

namespace savrin::operation {

Status OperationRun::CopyToTemporary(const std::u16string& source, std::u16string& temporary,
                                     const CopySettings& settings, CopyReport& report) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = JoinPath(targetFolder_, TemporaryName(random_()));
    const Status status = fs_.CopyToNewFile(source, temporary, settings, &report);
    // Exists means the name is someone else's: never touch it.
    if (status.Code == StatusCode::Exists) continue;
    if (!status.IsOk()) Discard(temporary);
    return status;
  }
  return Status::Error(StatusCode::Exists, 0, "no free temporary name");
}

Status OperationRun::CreateTemporaryFolder(std::u16string& temporary) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    temporary = JoinPath(targetFolder_, TemporaryName(random_()));
    const Status status = fs_.CreateFolder(temporary);
    if (status.Code == StatusCode::Exists) continue;
    // Hidden only so it is out of sight; a visible one is as safe.
    if (status.IsOk()) fs_.SetAttributes(temporary, HiddenOnly());
    return status;
  }
  return Status::Error(StatusCode::Exists, 0, "no free temporary name");
}

// Settles the item at once, or copies it into a temporary and leaves it
// to the batch (nothing then).
std::optional<Placement> OperationRun::CopyFile(const std::u16string& source, const std::u16string& targetName,
                                                bool move, size_t result) {
  Placement failed;
  failed.Name = targetName;
  FileInfo before;
  Status status = fs_.GetInfo(source, before);
  if (status.IsOk() && before.IsFolder) status = Status::Error(StatusCode::AccessDenied, 0, "became a folder");
  if (!status.IsOk()) {
    failed.Outcome = OutcomeOf(status);
    failed.StepStatus = status;
    return failed;
  }
  if (!operation_.RenameOnCollision) {
    const FileInfo* existing = Existing(targetName);
    if (existing != nullptr && existing->IsFolder) {
      failed.Outcome = ItemOutcome::Blocked;
      return failed;
    }
  }
  if (move) {
    FileStamp sourceStamp;
    if (const FileInfo* delivered = FindDeliveredFile(source, before, targetName, sourceStamp)) {
      return FinishDeliveredFile(source, sourceStamp, delivered->Name);
    }
  }

  // A moved file is the same file in a new place, and keeps its creation
  // time as a rename within a volume would; a copy is a new file. Its
  // attributes and times go with its contents, so that what comes back
  // after a power cut under its name is neither hidden nor of another time.
  PendingCopy copy{result, source, targetName, {}, before, {}, move, std::nullopt};
  status = CopyToTemporary(source, copy.temporary, CopySettings{before.Attributes, move, true}, copy.report);
  if (!status.IsOk()) {
    failed.Outcome = OutcomeOf(status);
    failed.StepStatus = status;
    return failed;
  }
  FileInfo copied;
  status = fs_.GetInfo(copy.temporary, copied);
  if (status.IsOk() && copied.Size != before.Size) {
    status = Status::Error(StatusCode::IoError, 0, "the copy's size differs from the source's");
  }
  FileInfo after;
  if (status.IsOk()) status = fs_.GetInfo(source, after);
  const bool changed = status.IsOk() && !Unchanged(before, after);
  if (!status.IsOk() || changed) {
    // Removed once the batch lets go of it.
    failed.Outcome = changed ? ItemOutcome::SourceChanged : OutcomeOf(status);
    failed.StepStatus = status;
    copy.dropped = std::move(failed);
  }
  batchBytes_ += before.Size;
  batch_.push_back(std::move(copy));
  if (batch_.size() >= operation_.BatchFiles || batchBytes_ >= kBatchBytes) StartFlushingBatch();
  return std::nullopt;
}

// A full batch starts flushing while the next is copied; the one before
// it, if still in flight, is finished first.
void OperationRun::StartFlushingBatch() {
  FinishFlushingBatch();
  if (batch_.empty()) return;
  flushing_ = std::move(batch_);
  batch_.clear();
  batchBytes_ = 0;
  std::vector<std::u16string> temporaries;
  for (const PendingCopy& copy : flushing_) temporaries.push_back(copy.temporary);
  fs_.StartFlushingCopies(temporaries);
}

// Every copy settled: the batch in flight and the one being filled.
void OperationRun::FinishAllBatches() {
  StartFlushingBatch();
  FinishFlushingBatch();
}

// Once the batch in flight is flushed, each copy whose flush succeeded is
// renamed into place, in the order the items came; then, for moves, the
// destination folder is flushed once and the sources removed. No name
// appears before its own file is flushed, and no source goes before a
// folder flush that followed its copy's placing.
void OperationRun::FinishFlushingBatch() {
  if (flushing_.empty()) return;
  const std::vector<PendingCopy> batch = std::move(flushing_);
  flushing_.clear();
  std::vector<Status> flushed;
  fs_.FinishFlushingCopies(flushed);
  flushed.resize(batch.size(), Status::Error(StatusCode::IoError, 0, "not flushed"));
  std::vector<std::pair<size_t, Placement>> moved;
  for (size_t i = 0; i < batch.size(); ++i) {
    const PendingCopy& copy = batch[i];
    Placement placed;
    if (copy.dropped) {
      Discard(copy.temporary);
      placed = *copy.dropped;
    } else if (!flushed[i].IsOk()) {
      Discard(copy.temporary);
      placed.Name = copy.targetName;
      placed.Outcome = OutcomeOf(flushed[i]);
      placed.StepStatus = flushed[i];
    } else {
      placed = Place(copy.temporary, copy.targetName, false);
      if (!Arrived(placed.Outcome)) {
        Discard(copy.temporary);
      } else if (copy.move) {
        moved.emplace_back(i, std::move(placed));
        continue;
      }
    }
    SetResult(copy.result, placed);
  }
  if (moved.empty()) return;
  // A power cut before this flush leaves two copies, never none. Where
  // the names cannot be made durable the sources stay.
  const Status folder = fs_.FlushFolder(targetFolder_);
  for (auto& [i, placed] : moved) {
    SetResult(batch[i].result,
              folder.IsOk() ? RemoveMovedSource(batch[i], std::move(placed)) : KeepSource(std::move(placed), folder));
  }
}

// SharingViolation if any file of the tree is held open, checked before
// any work so that a move between volumes is not left half done.
Status OperationRun::CheckTreeFree(const std::u16string& root) {
  std::vector<std::u16string> folders{root};
  std::vector<std::u16string> resolved{Resolved(root)};
  for (size_t next = 0; next < folders.size(); ++next) {
    std::vector<FileInfo> entries;
    const Status listed = fs_.ListFolder(folders[next], entries);
    if (!listed.IsOk()) return listed;
    for (const FileInfo& entry : entries) {
      if (IsTemporaryName(entry.Name)) continue;
      const std::u16string path = JoinPath(folders[next], entry.Name);
      // A link may lead back up the tree, or to what is not the tree's to
      // give; the copy refuses it anyway.
      std::u16string here;
      if (entry.IsFolder && (entry.IsLink || LeadsElsewhere(resolved[next], path, entry.Name, here))) {
        return Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
      }
      if (entry.IsFolder) {
        folders.push_back(path);
        resolved.push_back(std::move(here));
        continue;
      }
      const Status status = fs_.TryOpenExclusive(path);
      if (status.Code == StatusCode::SharingViolation) return status;
    }
  }
  return Status::Ok();
}

// Copies the tree below `sourceRoot` into the existing folder `copyRoot`.
// A link to a folder is not followed: it may lead back up the tree.
// `keepTimes` for a move: every file and folder keeps its times, the
// folders' set last, once nothing is added to them any more.
// The files are flushed in batches, as the items of a run are; the
// folders, which only their own flushes make durable, by the caller.
Status OperationRun::CopyTree(const std::u16string& sourceRoot, const std::u16string& copyRoot, TreeCopy& copy,
                              bool keepTimes) {
  std::vector<std::u16string> unflushed;
  Status status = CopyTreeEntries(sourceRoot, copyRoot, copy, keepTimes, unflushed);
  // Flushed also after a failure: that lets go of the copies still held.
  const Status flushed = FlushTreeCopies(unflushed);
  if (status.IsOk()) status = flushed;
  if (status.IsOk() && keepTimes) {
    for (auto folder = copy.Folders.rbegin(); folder != copy.Folders.rend(); ++folder) {
      fs_.CopyTimes(folder->empty() ? sourceRoot : JoinPath(sourceRoot, *folder),
                    folder->empty() ? copyRoot : JoinPath(copyRoot, *folder));
    }
  }
  return status;
}

Status OperationRun::FlushTreeCopies(std::vector<std::u16string>& unflushed) {
  std::vector<Status> flushed;
  fs_.FlushCopies(unflushed, flushed);
  unflushed.clear();
  for (const Status& status : flushed) {
    if (!status.IsOk()) return status;
  }
  return Status::Ok();
}

Status OperationRun::CopyTreeEntries(const std::u16string& sourceRoot, const std::u16string& copyRoot, TreeCopy& copy,
                                     bool keepTimes, std::vector<std::u16string>& unflushed) {
  copy.Folders.push_back(u"");
  std::vector<std::u16string> resolved{Resolved(sourceRoot)};
  for (size_t next = 0; next < copy.Folders.size(); ++next) {
    const std::u16string folder = copy.Folders[next];
    const std::u16string from = folder.empty() ? sourceRoot : JoinPath(sourceRoot, folder);
    const std::u16string to = folder.empty() ? copyRoot : JoinPath(copyRoot, folder);
    std::vector<FileInfo> entries;
    Status status = fs_.ListFolder(from, entries);
    if (!status.IsOk()) return status;
    for (const FileInfo& entry : entries) {
      // Our own temporary may sit inside the tree when the tree is being copied into itself.
      if (IsTemporaryName(entry.Name)) continue;
      const std::u16string relative = folder.empty() ? entry.Name : JoinPath(folder, entry.Name);
      const std::u16string sourcePath = JoinPath(from, entry.Name);
      const std::u16string copyPath = JoinPath(to, entry.Name);
      if (entry.IsFolder) {
        std::u16string here;
        if (entry.IsLink || LeadsElsewhere(resolved[next], sourcePath, entry.Name, here)) {
          return Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
        }
        status = fs_.CreateFolder(copyPath);
        if (status.IsOk() && (entry.Attributes.Hidden || entry.Attributes.System)) {
          FileAttributes attributes = entry.Attributes;
          attributes.ReadOnly = false;
          status = fs_.SetAttributes(copyPath, attributes);
        }
        if (!status.IsOk()) return status;
        copy.Folders.push_back(relative);
        resolved.push_back(std::move(here));
        continue;
      }
      FileInfo before;
      status = fs_.GetInfo(sourcePath, before);
      CopyReport report;
      if (status.IsOk())
        status = fs_.CopyToNewFile(sourcePath, copyPath, {before.Attributes, keepTimes, true}, &report);
      if (status.IsOk()) unflushed.push_back(copyPath);
      FileInfo copied;
      if (status.IsOk()) status = fs_.GetInfo(copyPath, copied);
      if (status.IsOk() && copied.Size != before.Size) {
        status = Status::Error(StatusCode::IoError, 0, "the copy's size differs from the source's");
      }
      FileInfo after;
      if (status.IsOk()) status = fs_.GetInfo(sourcePath, after);
      if (status.IsOk() && !Unchanged(before, after)) {
        copy.SourceChanged = true;
        status = Status::Error(StatusCode::IoError, 0, "changed while it was copied");
      }
      if (status.IsOk() && unflushed.size() >= operation_.BatchFiles) status = FlushTreeCopies(unflushed);
      if (!status.IsOk()) return status;
      copy.Files.push_back({relative, before, StampOfCopied(before, report)});
    }
  }
  return Status::Ok();
}

Placement OperationRun::CopyFolder(const std::u16string& source, const FileInfo& entry,
                                   const std::u16string& targetName, bool move) {
  Placement failed;
  failed.Name = targetName;
  Status status;
  if (entry.IsLink) status = Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
  if (status.IsOk() && move) status = CheckTreeFree(source);
  // No order of steps can make a tree of names durable on a volume that
  // cannot flush a folder: a copy that came back in part after a power cut
  // would be in sight with files missing, and could not be told from a
  // folder of the user's. The folder stays.
  if (status.IsOk() && !TargetFolderFlushes()) {
    status = Status::Error(StatusCode::Unsupported, 0, "the destination cannot flush a folder");
  }
  if (status.IsOk() && move) {
    TreeCopy found;
    if (const FileInfo* delivered = FindDeliveredFolder(source, targetName, found)) {
      Placement placed;
      placed.Name = delivered->Name;
      placed.Outcome = ItemOutcome::FoundInPlace;
      status = fs_.FlushFolder(targetFolder_);
      if (!status.IsOk()) return KeepSource(std::move(placed), status);
      return RemoveCopiedSource(source, found, std::move(placed), false);
    }
  }
  if (!operation_.RenameOnCollision && Existing(targetName) != nullptr) {
    failed.Outcome = ItemOutcome::Blocked;
    return failed;
  }
  std::u16string temporary;
  if (status.IsOk()) status = CreateTemporaryFolder(temporary);
  if (!status.IsOk()) {
    failed.Outcome = OutcomeOf(status);
    failed.StepStatus = status;
    return failed;
  }
  TreeCopy copy;
  status = CopyTree(source, temporary, copy, move);
  if (status.IsOk()) {
    // A folder's read-only bit only asks Explorer to look for desktop.ini;
    // hidden and system are what a user would miss.
    FileAttributes attributes = entry.Attributes;
    attributes.ReadOnly = false;
    status = fs_.SetAttributes(temporary, attributes);
  }
  if (!status.IsOk()) {
    RemoveTree(temporary);
    failed.Outcome = copy.SourceChanged ? ItemOutcome::SourceChanged : OutcomeOf(status);
    failed.StepStatus = status;
    return failed;
  }
  // Every folder of the copy, before it is placed: no name inside it can
  // be lost once the source is gone, and a cut never leaves a copy in
  // sight with files missing. A copy that could not be made durable is
  // not placed at all.
  for (const std::u16string& folder : copy.Folders) {
    status = fs_.FlushFolder(folder.empty() ? temporary : JoinPath(temporary, folder));
    if (!status.IsOk()) {
      RemoveTree(temporary);
      failed.Outcome = OutcomeOf(status);
      failed.StepStatus = status;
      return failed;
    }
  }

  Placement placed = Place(temporary, targetName, true);
  if (!Arrived(placed.Outcome)) {
    RemoveTree(temporary);
    return placed;
  }
  if (!move) return placed;

  status = fs_.FlushFolder(targetFolder_);
  if (!status.IsOk()) return KeepSource(std::move(placed), status);
  return RemoveCopiedSource(source, copy, std::move(placed), true);
}

bool OperationRun::TargetFolderFlushes() {
  if (!flushProbed_) {
    flushProbed_ = true;
    targetFlushes_ = fs_.FlushFolder(targetFolder_).Code != StatusCode::Unsupported;
  }
  return targetFlushes_;
}

}  // namespace savrin::operation
