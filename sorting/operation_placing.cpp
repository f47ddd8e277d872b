
#include "platform/case_fold.h"
#include "platform/path_text.h"
#include "sorting/numbered_name.h"
#include "sorting/operation_run.h"

// Placing an item under its name in the target folder: without replacing
// anything (a numbered name where its own is taken), or replacing a file
// in one step, and the names the target folder is known to hold.

namespace savrin::operation {

// One file under two names, by the volume's own file ids. (FAT derives a
// file's id from where its name is stored, so two names there show two
// ids: only a disk check mends such a pair.)
bool OperationRun::SameFile(const std::u16string& a, const std::u16string& b) {
  FileInfo first;
  FileInfo second;
  return fs_.GetIdentity(a, first).IsOk() && fs_.GetIdentity(b, second).IsOk() && IsSameFile(first, second);
}

void OperationRun::Remember(const std::u16string& name, bool isFolder) {
  FileInfo info;
  info.Name = name;
  info.IsFolder = isFolder;
  names_[FoldCase(name)] = std::move(info);
}

const FileInfo* OperationRun::Existing(const std::u16string& name) const {
  const auto found = names_.find(FoldCase(name));
  return found == names_.end() ? nullptr : &found->second;
}

// Rename on collision. The no-replace move is the check and the act in
// one: the names seen in the listing only spare attempts that would fail,
// and a name taken since is answered with Exists and passed over.
Placement OperationRun::PlaceNoReplace(const std::u16string& from, const std::u16string& targetName, bool isFolder) {
  Placement placement;
  for (unsigned number = 1; number <= kMaxNameAttempts; ++number) {
    std::u16string name = number == 1 ? targetName : NumberedName(targetName, number, isFolder);
    if (Existing(name) != nullptr) continue;
    const Status status = fs_.MoveNoReplace(from, JoinPath(targetFolder_, name));
    if (status.IsOk()) {
      Remember(name, isFolder);
      placement.Outcome = number == 1 ? ItemOutcome::Placed : ItemOutcome::Renamed;
      placement.Name = std::move(name);
      return placement;
    }
    if (status.Code != StatusCode::Exists) {
      placement.Outcome = OutcomeOf(status);
      placement.StepStatus = status;
      return placement;
    }
    Remember(name, false);
  }
  placement.Outcome = ItemOutcome::NoFreeName;
  placement.StepStatus = Status::Error(StatusCode::Exists);
  return placement;
}

// Overwrite, for a file: one replacing rename, so the name holds the old
// file or the new one and never neither. On a case-sensitive file system
// the existing spelling is the one replaced, as Windows would.
Placement OperationRun::PlaceReplacing(const std::u16string& from, const std::u16string& targetName) {
  Placement placement;
  const FileInfo* known = Existing(targetName);
  placement.Name = known != nullptr ? known->Name : targetName;
  if (sharedNames_.count(FoldCase(targetName)) != 0) {
    placement.Outcome = ItemOutcome::Blocked;
    return placement;
  }
  const std::u16string target = JoinPath(targetFolder_, placement.Name);
  FileInfo existing;
  const Status found = fs_.GetInfo(target, existing);
  if (!found.IsOk() && found.Code != StatusCode::NotFound) {
    placement.StepStatus = found;
    return placement;
  }
  const bool replacing = found.IsOk();
  if (replacing && existing.IsFolder) {
    placement.Outcome = ItemOutcome::Blocked;
    return placement;
  }
  // MoveFileEx refuses to replace a read-only file; the shell clears the
  // attribute first, and so do we.
  const bool clearReadOnly = replacing && existing.Attributes.ReadOnly;
  if (clearReadOnly) {
    FileAttributes writable = existing.Attributes;
    writable.ReadOnly = false;
    const Status status = fs_.SetAttributes(target, writable);
    if (!status.IsOk()) {
      placement.Outcome = OutcomeOf(status);
      placement.StepStatus = status;
      return placement;
    }
  }
  const Status status = fs_.MoveReplace(from, target);
  if (!status.IsOk()) {
    if (clearReadOnly) fs_.SetAttributes(target, existing.Attributes);
    placement.Outcome = OutcomeOf(status);
    placement.StepStatus = status;
    return placement;
  }
  Remember(placement.Name, false);
  placement.Outcome = replacing ? ItemOutcome::Replaced : ItemOutcome::Placed;
  return placement;
}

// Overwrite, for a folder: a folder never replaces anything, and nothing
// is merged into an existing folder.
Placement OperationRun::PlaceFolderWithoutReplacing(const std::u16string& from, const std::u16string& targetName) {
  Placement placement;
  placement.Name = targetName;
  if (Existing(targetName) != nullptr) {
    placement.Outcome = ItemOutcome::Blocked;
    return placement;
  }
  const Status status = fs_.MoveNoReplace(from, JoinPath(targetFolder_, targetName));
  if (status.IsOk()) {
    Remember(targetName, true);
    placement.Outcome = ItemOutcome::Placed;
    return placement;
  }
  placement.Outcome = status.Code == StatusCode::Exists ? ItemOutcome::Blocked : OutcomeOf(status);
  placement.StepStatus = status;
  return placement;
}

Placement OperationRun::MoveFileByRename(const std::u16string& source, const FileInfo& entry,
                                         const std::u16string& targetName) {
  if (operation_.RenameOnCollision) return PlaceNoReplace(source, targetName, false);
  if (IsAnotherNameOf(source, entry, targetName)) {
    Placement same;
    same.Name = targetName;
    same.Outcome = ItemOutcome::SameItem;
    return same;
  }
  // From another volume the rename fails on its own, and the copy may find
  // the name holds this very file already.
  if (sharedNames_.count(FoldCase(targetName)) != 0 && !OnTheSourcesVolume()) {
    Placement elsewhere;
    elsewhere.StepStatus = Status::Error(StatusCode::CrossDevice);
    return elsewhere;
  }
  return PlaceReplacing(source, targetName);
}

bool OperationRun::OnTheSourcesVolume() {
  FileInfo source;
  FileInfo target;
  return fs_.GetIdentity(sourceFolder_, source).IsOk() && fs_.GetIdentity(targetFolder_, target).IsOk() &&
         source.VolumeId == target.VolumeId;
}

// A rename cut short by the power on a file system without a journal
// leaves one file under both names, counted once: replacing one name
// with the other frees what both hold. Such a pair is left as it is.
bool OperationRun::IsAnotherNameOf(const std::u16string& source, const FileInfo& entry,
                                   const std::u16string& targetName) {
  const FileInfo* existing = Existing(targetName);
  return existing != nullptr && !existing->IsFolder && !existing->IsLink && existing->Size == entry.Size &&
         existing->Modified == entry.Modified && SameFile(source, JoinPath(targetFolder_, existing->Name));
}

Placement OperationRun::MoveFolderByRename(const std::u16string& source, const std::u16string& targetName) {
  return operation_.RenameOnCollision ? PlaceNoReplace(source, targetName, true)
                                      : PlaceFolderWithoutReplacing(source, targetName);
}

// Our own temporary, made for this item: a new file, never another name of one there.
Placement OperationRun::Place(const std::u16string& from, const std::u16string& targetName, bool isFolder) {
  if (isFolder) return MoveFolderByRename(from, targetName);
  return operation_.RenameOnCollision ? PlaceNoReplace(from, targetName, false) : PlaceReplacing(from, targetName);
}

}  // namespace savrin::operation
