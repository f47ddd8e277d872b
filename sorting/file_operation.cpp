#include "sorting/file_operation.h"

#include <chrono>

#include "platform/path_text.h"
#include "sorting/name_match.h"
#include "sorting/operation_run.h"
#include "sorting/path_compare.h"
#include "sorting/temporary_name.h"

// Which items a run takes, and the way each item goes: a rename within a
// volume, a merge into the folder of its name, or a copy.

namespace savrin::operation {

std::vector<ItemResult> OperationRun::Run() {
  const PathSplit source = SplitAtLastSeparator(operation_.Source);
  const PathSplit destination = SplitAtLastSeparator(operation_.Destination);
  // An empty folder part would make the paths relative to whatever the
  // current directory happens to be.
  if (source.Name.empty() || source.Folder.empty() || destination.Folder.empty()) return {};
  sourceFolder_ = fs_.FolderForNames(source.Folder);
  targetFolder_ = fs_.FolderForNames(destination.Folder);

  const bool wildcard = HasWildcard(source.Name);
  std::vector<FileInfo> entries;
  if (!fs_.ListFolder(sourceFolder_, entries).IsOk()) return {};
  const std::vector<FileInfo> items = SelectItems(entries, source.Name, wildcard);
  if (items.empty()) return {};

  sameFolder_ = SameFolder(sourceFolder_, targetFolder_);
  const bool ownName = wildcard || destination.Name.empty();
  std::vector<std::pair<FileInfo, std::u16string>> named;
  for (const FileInfo& item : items) named.emplace_back(item, ownName ? item.Name : destination.Name);
  return ProcessItems(named, 0);
}

// One item after another; copies wait in the batch, which is finished
// when it is full and after the last item.
std::vector<ItemResult> OperationRun::ProcessItems(const std::vector<std::pair<FileInfo, std::u16string>>& items,
                                                   int depth) {
  results_.assign(items.size(), ItemResult{});
  for (size_t i = 0; i < items.size(); ++i) ProcessItem(items[i].first, items[i].second, depth, i);
  FinishAllBatches();
  return std::move(results_);
}

uint64_t OperationRun::Seed() {
  return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
         (static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) << 1);
}

std::vector<FileInfo> OperationRun::SelectItems(const std::vector<FileInfo>& entries, const std::u16string& pattern,
                                                bool wildcard) {
  std::vector<FileInfo> items;
  for (const FileInfo& entry : entries) {
    if (IsTemporaryName(entry.Name) || !NameMatches(pattern, entry.Name)) continue;
    if (wildcard) {
      if (!entry.IsFolder && !entry.Attributes.Hidden && !entry.Attributes.System) items.push_back(entry);
    } else if (entry.Name == TrimTrailingDotsAndSpaces(pattern)) {
      // On a case-sensitive file system the exact spelling is the one meant.
      return {entry};
    } else if (items.empty()) {
      items.push_back(entry);
    }
  }
  return items;
}

bool OperationRun::SameFolder(const std::u16string& a, const std::u16string& b) {
  return ComparablePath(a) == ComparablePath(b) || SameFile(a, b);
}

// A folder copied into itself would hold a copy of itself on every pass.
// The text says so for most spellings; a link, a junction or a drive
// alias on the way shows only in the paths the disk resolves.
bool OperationRun::TargetIsSameOrInside(const std::u16string& folder) {
  if (IsSameOrInside(targetFolder_, folder)) return true;
  std::u16string resolved;
  if (!fs_.ResolvedPath(folder, resolved).IsOk()) return false;
  if (!targetResolved_) {
    targetResolved_ = true;
    resolvedTarget_ = ResolveAsFarAsItExists(targetFolder_);
  }
  return IsSameOrInside(resolvedTarget_, resolved);
}

const std::u16string& OperationRun::ResolvedSourceFolder() {
  if (!sourceResolved_) {
    sourceResolved_ = true;
    resolvedSource_ = Resolved(sourceFolder_);
  }
  return resolvedSource_;
}

const std::u16string& OperationRun::ResolvedTargetFolder() {
  if (!targetFolderResolved_) {
    targetFolderResolved_ = true;
    resolvedTargetFolder_ = Resolved(targetFolder_);
  }
  return resolvedTargetFolder_;
}

// The target folder need not exist yet: its nearest existing ancestor is
// resolved and the rest appended.
std::u16string OperationRun::ResolveAsFarAsItExists(const std::u16string& path) {
  std::vector<std::u16string> missing;
  std::u16string existing(TrimTrailingSeparators(path));
  for (;;) {
    std::u16string resolved;
    const Status status = fs_.ResolvedPath(existing, resolved);
    if (status.IsOk()) {
      for (auto name = missing.rbegin(); name != missing.rend(); ++name) resolved = JoinPath(resolved, *name);
      return resolved;
    }
    const PathSplit split = SplitAtLastSeparator(existing);
    if (status.Code != StatusCode::NotFound || split.Name.empty() || split.Folder.empty()) return path;
    missing.push_back(split.Name);
    existing = std::u16string(TrimTrailingSeparators(split.Folder));
  }
}

void OperationRun::ProcessItem(const FileInfo& entry, const std::u16string& targetName, int depth, size_t index) {
  // A folder's copy or merge flushes files of its own, one batch at a time.
  if (entry.IsFolder) FinishAllBatches();
  ItemResult& result = results_[index];
  result.Source = JoinPath(sourceFolder_, entry.Name);
  result.Target = JoinPath(targetFolder_, targetName);
  // A copy onto itself would otherwise add a renamed copy on every pass.
  if (sameFolder_ && EqualsIgnoringCase(entry.Name, targetName)) {
    result.Outcome = ItemOutcome::SameItem;
    return;
  }
  if (entry.IsFolder && TargetIsSameOrInside(result.Source)) {
    result.Outcome = ItemOutcome::Blocked;
    return;
  }
  // A link Wine shows as a plain folder: moving or merging it would take
  // the folder it leads to, and its removal would empty that folder.
  std::u16string resolved;
  if (entry.IsFolder && !entry.IsLink && LeadsElsewhere(ResolvedSourceFolder(), result.Source, entry.Name, resolved)) {
    result.Outcome = ItemOutcome::Failed;
    result.StepStatus = Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
    return;
  }
  if (entry.IsFolder && !entry.IsLink && !operation_.RenameOnCollision) {
    PrepareTargetFolder();
    const FileInfo* existing = Existing(targetName);
    if (existing != nullptr && existing->IsFolder && !existing->IsLink) {
      const Placement merged = MergeFolder(result.Source, existing->Name, depth);
      result.Outcome = merged.Outcome;
      result.StepStatus = merged.StepStatus;
      result.Target = JoinPath(targetFolder_, existing->Name);
      return;
    }
  }
  const bool move = operation_.Kind == SortMethod::Move;
  // A rename would carry off a file that is still being written; a copy
  // needs no probe, its own read refuses a file open for writing.
  if (!entry.IsFolder && move) {
    const Status status = fs_.TryOpenExclusive(result.Source);
    if (status.Code == StatusCode::SharingViolation || status.Code == StatusCode::NotFound) {
      result.Outcome = OutcomeOf(status);
      result.StepStatus = status;
      return;
    }
  }
  PrepareTargetFolder();

  Placement placement;
  if (move) {
    placement = entry.IsFolder ? MoveFolderByRename(result.Source, targetName)
                               : MoveFileByRename(result.Source, entry, targetName);
  }
  if (!move || placement.StepStatus.Code == StatusCode::CrossDevice) {
    if (entry.IsFolder) {
      placement = CopyFolder(result.Source, entry, targetName, move);
    } else {
      std::optional<Placement> settled = CopyFile(result.Source, targetName, move, index);
      if (!settled) return;  // the batch settles it
      placement = std::move(*settled);
    }
  }
  if (move && sameFolder_ && Arrived(placement.Outcome)) Forget(entry.Name);
  SetResult(index, placement);
}

// Each entry of the source folder is one item of a run from the folder
// into the folder of its name, with all that guarantees for each of them.
// Past a depth no real tree reaches, a tree that only a link Wine does not
// show can make that deep is left alone.
Placement OperationRun::MergeFolder(const std::u16string& source, const std::u16string& targetName, int depth) {
  constexpr int kMaxMergeDepth = 256;
  Placement merged;
  merged.Name = targetName;
  merged.Outcome = ItemOutcome::Merged;
  std::vector<FileInfo> entries;
  Status status =
      depth < kMaxMergeDepth ? fs_.ListFolder(source, entries) : Status::Error(StatusCode::Unsupported, 0, "too deep");
  if (!status.IsOk()) {
    merged.Outcome = OutcomeOf(status);
    merged.StepStatus = status;
    return merged;
  }
  OperationRun inner(fs_, operation_);
  inner.sourceFolder_ = source;
  inner.targetFolder_ = JoinPath(targetFolder_, targetName);
  inner.sameFolder_ = SameFolder(inner.sourceFolder_, inner.targetFolder_);
  std::vector<std::pair<FileInfo, std::u16string>> items;
  for (const FileInfo& entry : entries) {
    if (!IsTemporaryName(entry.Name)) items.emplace_back(entry, entry.Name);
  }
  for (const ItemResult& result : inner.ProcessItems(items, depth + 1)) {
    const bool done =
        Arrived(result.Outcome) || result.Outcome == ItemOutcome::Merged || result.Outcome == ItemOutcome::FoundInPlace;
    if (!done && merged.Outcome == ItemOutcome::Merged) {
      merged.Outcome = result.Outcome;
      merged.StepStatus = result.StepStatus;
    }
  }
  if (operation_.Kind == SortMethod::Move && merged.Outcome == ItemOutcome::Merged) {
    status = fs_.RemoveEmptyFolder(source);
    if (!status.IsOk() && status.Code != StatusCode::NotFound) return KeepSource(std::move(merged), status);
  }
  return merged;
}

void OperationRun::SetResult(size_t index, const Placement& placement) {
  ItemResult& result = results_[index];
  result.Outcome = placement.Outcome;
  result.StepStatus = placement.StepStatus;
  if (!placement.Name.empty()) result.Target = JoinPath(targetFolder_, placement.Name);
}

// The path the disk resolves, or nothing when it cannot say.
std::u16string OperationRun::Resolved(const std::u16string& path) {
  std::u16string resolved;
  if (!fs_.ResolvedPath(path, resolved).IsOk()) resolved.clear();
  return resolved;
}

// Wine shows a Linux symlink to a folder as a plain folder, which a tree
// copy would follow to wherever it leads. Its resolved path gives it away:
// it is not its parent's resolved path and its own name. `resolved`
// receives the folder's, for its own entries; with no parent's to go by
// nothing is said.
bool OperationRun::LeadsElsewhere(const std::u16string& resolvedParent, const std::u16string& path,
                                  const std::u16string& name, std::u16string& resolved) {
  resolved.clear();
  if (resolvedParent.empty()) return false;
  resolved = Resolved(path);
  if (resolved.empty()) return false;
  return ComparablePath(resolved) != ComparablePath(JoinPath(resolvedParent, name));
}

}  // namespace savrin::operation

namespace savrin {

std::vector<ItemResult> PerformFileOperation(FileSystem& fileSystem, const FileOperation& operation) {
  return operation::OperationRun(fileSystem, operation).Run();
}

}  // namespace savrin
