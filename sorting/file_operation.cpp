#include "sorting/file_operation.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <set>
#include <random>
#include <utility>

#include "platform/case_fold.h"
#include "platform/path_text.h"
#include "sorting/name_match.h"
#include "sorting/numbered_name.h"
#include "sorting/path_compare.h"
#include "sorting/temporary_name.h"

namespace savrin {
namespace {

// A fresh random name that is taken already is tried again with another;
// past this many something else is wrong with the folder.
constexpr int kTemporaryNameAttempts = 16;

bool Unchanged(const FileInfo& before, const FileInfo& after) {
  return before.IsFolder == after.IsFolder && before.Size == after.Size && before.Modified == after.Modified;
}

bool Arrived(ItemOutcome outcome) {
  return outcome == ItemOutcome::Placed || outcome == ItemOutcome::Renamed || outcome == ItemOutcome::Replaced;
}

ItemOutcome OutcomeOf(const Status& status) {
  return status.Code == StatusCode::SharingViolation ? ItemOutcome::InUse : ItemOutcome::Failed;
}

// The source as the copy read it: the look before the copy, with what the
// copy itself could tell besides.
FileStamp StampOfCopied(const FileInfo& before, const CopyReport& report) {
  FileStamp stamp = FileStamp::Of(before);
  if (report.Source.FileId != 0) stamp.FileId = report.Source.FileId;
  if (report.Source.Changed != 0) stamp.Changed = report.Source.Changed;
  return stamp;
}

FileAttributes HiddenOnly() {
  FileAttributes attributes;
  attributes.Hidden = true;
  return attributes;
}

struct Placement {
  ItemOutcome Outcome = ItemOutcome::Failed;
  Status StepStatus;
  std::u16string Name;  // the name taken (or tried last) in the target folder
};

struct CopiedFile {
  std::u16string Relative;  // below the copied folder
  FileInfo Before;          // the source as it was copied
  FileStamp Stamp;          // the same, as the source's removal checks it
};

// What a folder copy took from the source, so that a move removes exactly
// that and nothing that arrived or changed in the meantime, and an undo
// removes exactly the copy and nothing put into it since.
struct TreeCopy {
  std::vector<CopiedFile> Files;
  std::vector<std::u16string> Folders;  // relative, "" first, parents before their children
  bool SourceChanged = false;
};

class OperationRun {
 public:
  OperationRun(FileSystem& fileSystem, const FileOperation& operation)
      : fs_(fileSystem), operation_(operation), random_(Seed()) {}

  std::vector<ItemResult> Run() {
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
    std::vector<ItemResult> results;
    for (const FileInfo& item : items) {
      const bool ownName = wildcard || destination.Name.empty();
      results.push_back(ProcessItem(item, ownName ? item.Name : destination.Name));
    }
    return results;
  }

 private:
  static uint64_t Seed() {
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
           (static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()) << 1);
  }

  static std::vector<FileInfo> SelectItems(const std::vector<FileInfo>& entries, const std::u16string& pattern,
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

  bool SameFolder(const std::u16string& a, const std::u16string& b) {
    if (ComparablePath(a) == ComparablePath(b)) return true;
    FileInfo first;
    FileInfo second;
    if (!fs_.GetIdentity(a, first).IsOk() || !fs_.GetIdentity(b, second).IsOk()) return false;
    return first.FileId != 0 && first.VolumeId == second.VolumeId && first.FileId == second.FileId;
  }

  // A folder copied into itself would hold a copy of itself on every pass.
  // The text says so for most spellings; a link, a junction or a drive
  // alias on the way shows only in the paths the disk resolves.
  bool TargetIsSameOrInside(const std::u16string& folder) {
    if (IsSameOrInside(targetFolder_, folder)) return true;
    std::u16string resolved;
    if (!fs_.ResolvedPath(folder, resolved).IsOk()) return false;
    if (!targetResolved_) {
      targetResolved_ = true;
      resolvedTarget_ = ResolveAsFarAsItExists(targetFolder_);
    }
    return IsSameOrInside(resolvedTarget_, resolved);
  }

  const std::u16string& ResolvedSourceFolder() {
    if (!sourceResolved_) {
      sourceResolved_ = true;
      resolvedSource_ = Resolved(sourceFolder_);
    }
    return resolvedSource_;
  }

  const std::u16string& ResolvedTargetFolder() {
    if (!targetFolderResolved_) {
      targetFolderResolved_ = true;
      resolvedTargetFolder_ = Resolved(targetFolder_);
    }
    return resolvedTargetFolder_;
  }

  // The target folder need not exist yet: its nearest existing ancestor is
  // resolved and the rest appended.
  std::u16string ResolveAsFarAsItExists(const std::u16string& path) {
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

  ItemResult ProcessItem(const FileInfo& entry, const std::u16string& targetName, int depth = 0) {
    ItemResult result;
    result.Source = JoinPath(sourceFolder_, entry.Name);
    result.Target = JoinPath(targetFolder_, targetName);
    // A copy onto itself would otherwise add a renamed copy on every pass.
    if (sameFolder_ && EqualsIgnoringCase(entry.Name, targetName)) {
      result.Outcome = ItemOutcome::SameItem;
      return result;
    }
    if (entry.IsFolder && TargetIsSameOrInside(result.Source)) {
      result.Outcome = ItemOutcome::Blocked;
      return result;
    }
    // A link Wine shows as a plain folder: moving or merging it would take
    // the folder it leads to, and its removal would empty that folder.
    std::u16string resolved;
    if (entry.IsFolder && !entry.IsLink && LeadsElsewhere(ResolvedSourceFolder(), result.Source, entry.Name, resolved)) {
      result.Outcome = ItemOutcome::Failed;
      result.StepStatus = Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
      return result;
    }
    if (entry.IsFolder && !entry.IsLink && !operation_.RenameOnCollision) {
      PrepareTargetFolder();
      const FileInfo* existing = Existing(targetName);
      if (existing != nullptr && existing->IsFolder && !existing->IsLink) {
        const Placement merged = MergeFolder(result.Source, existing->Name, depth);
        result.Outcome = merged.Outcome;
        result.StepStatus = merged.StepStatus;
        result.Target = JoinPath(targetFolder_, existing->Name);
        return result;
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
        return result;
      }
    }
    PrepareTargetFolder();

    Placement placement;
    if (move) {
      placement = entry.IsFolder ? MoveFolderByRename(result.Source, targetName)
                                 : MoveFileByRename(result.Source, entry, targetName);
    }
    if (!move || placement.StepStatus.Code == StatusCode::CrossDevice) {
      placement = entry.IsFolder ? CopyFolder(result.Source, entry, targetName, move)
                                 : CopyFile(result.Source, targetName, move);
    }
    if (move && sameFolder_ && Arrived(placement.Outcome)) Forget(entry.Name);
    result.Outcome = placement.Outcome;
    result.StepStatus = placement.StepStatus;
    if (!placement.Name.empty()) result.Target = JoinPath(targetFolder_, placement.Name);
    return result;
  }

  // Each entry of the source folder is one item of a run from the folder
  // into the folder of its name, with all that guarantees for each of them.
  // Past a depth no real tree reaches, a tree that only a link Wine does not
  // show can make that deep is left alone.
  Placement MergeFolder(const std::u16string& source, const std::u16string& targetName, int depth) {
    constexpr int kMaxMergeDepth = 256;
    Placement merged;
    merged.Name = targetName;
    merged.Outcome = ItemOutcome::Merged;
    std::vector<FileInfo> entries;
    Status status = depth < kMaxMergeDepth ? fs_.ListFolder(source, entries)
                                           : Status::Error(StatusCode::Unsupported, 0, "too deep");
    if (!status.IsOk()) {
      merged.Outcome = OutcomeOf(status);
      merged.StepStatus = status;
      return merged;
    }
    OperationRun inner(fs_, operation_);
    inner.sourceFolder_ = source;
    inner.targetFolder_ = JoinPath(targetFolder_, targetName);
    inner.sameFolder_ = SameFolder(inner.sourceFolder_, inner.targetFolder_);
    for (const FileInfo& entry : entries) {
      if (IsTemporaryName(entry.Name)) continue;
      const ItemResult result = inner.ProcessItem(entry, entry.Name, depth + 1);
      const bool done = Arrived(result.Outcome) || result.Outcome == ItemOutcome::Merged ||
                        result.Outcome == ItemOutcome::FoundInPlace;
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

  // Learns the target folder's names once, and removes what a crash left of
  // our own copies there (temporary_name.h says why that loses nothing):
  // never through a link, never one of the earlier naming, never one that
  // another run is still writing.
  void PrepareTargetFolder() {
    if (prepared_) return;
    prepared_ = true;
    std::vector<FileInfo> entries;
    if (!fs_.ListFolder(targetFolder_, entries).IsOk()) return;
    std::vector<const FileInfo*> leftovers;
    for (const FileInfo& entry : entries) {
      if (KindOfTemporaryName(entry.Name) == TemporaryKind::Current && !entry.IsLink) {
        leftovers.push_back(&entry);
      } else {
        names_[FoldCase(entry.Name)] = entry;
      }
    }
    for (const FileInfo* entry : leftovers) {
      if (!RemoveLeftover(*entry)) names_[FoldCase(entry->Name)] = *entry;
    }
  }

  // Wine lists a Linux symlink as what it leads to (Windows' own links and
  // junctions are seen as links), and a removal through it removes that:
  // its resolved path gives it away. A file that is another name of a file
  // in sight is what a rename cut short leaves on a file system without a
  // journal: both names then share one file's space, counted once, and
  // removing either would free what the other holds.
  bool RemoveLeftover(const FileInfo& entry) {
    const std::u16string path = JoinPath(targetFolder_, entry.Name);
    std::u16string resolved;
    if (LeadsElsewhere(ResolvedTargetFolder(), path, entry.Name, resolved)) return false;
    if (IsAnotherNameOfAFileInSight(entry)) return false;
    if (!fs_.ProbeInUse(path).IsOk()) return false;
    return (entry.IsFolder ? RemoveTree(path) : Discard(path)).IsOk();
  }

  // The name in sight is then left as it is too: replacing it would free
  // what the leftover's name leads to, and removing that afterwards would
  // free the same space a second time.
  bool IsAnotherNameOfAFileInSight(const FileInfo& leftover) {
    for (const auto& named : names_) {
      const FileInfo& other = named.second;
      if (other.IsFolder != leftover.IsFolder || other.IsLink || other.Size != leftover.Size ||
          other.Modified != leftover.Modified) {
        continue;
      }
      if (SameFile(JoinPath(targetFolder_, leftover.Name), JoinPath(targetFolder_, other.Name))) {
        sharedNames_.insert(named.first);
        return true;
      }
    }
    return false;
  }

  // One file under two names, by the volume's own file ids. (FAT derives a
  // file's id from where its name is stored, so two names there show two
  // ids: only a disk check mends such a pair.)
  bool SameFile(const std::u16string& a, const std::u16string& b) {
    FileInfo first;
    FileInfo second;
    return fs_.GetIdentity(a, first).IsOk() && fs_.GetIdentity(b, second).IsOk() && first.FileId != 0 &&
           first.FileId == second.FileId && first.VolumeId == second.VolumeId;
  }

  void Remember(const std::u16string& name, bool isFolder) {
    FileInfo info;
    info.Name = name;
    info.IsFolder = isFolder;
    names_[FoldCase(name)] = std::move(info);
  }

  void Forget(const std::u16string& name) { names_.erase(FoldCase(name)); }

  const FileInfo* Existing(const std::u16string& name) const {
    const auto found = names_.find(FoldCase(name));
    return found == names_.end() ? nullptr : &found->second;
  }

  // Rename on collision. The no-replace move is the check and the act in
  // one: the names seen in the listing only spare attempts that would fail,
  // and a name taken since is answered with Exists and passed over.
  Placement PlaceNoReplace(const std::u16string& from, const std::u16string& targetName, bool isFolder) {
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
  Placement PlaceReplacing(const std::u16string& from, const std::u16string& targetName) {
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
  Placement PlaceFolderWithoutReplacing(const std::u16string& from, const std::u16string& targetName) {
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

  Placement MoveFileByRename(const std::u16string& source, const FileInfo& entry, const std::u16string& targetName) {
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

  bool OnTheSourcesVolume() {
    FileInfo source;
    FileInfo target;
    return fs_.GetIdentity(sourceFolder_, source).IsOk() && fs_.GetIdentity(targetFolder_, target).IsOk() &&
           source.VolumeId == target.VolumeId;
  }

  // A rename cut short by the power on a file system without a journal
  // leaves one file under both names, counted once: replacing one name
  // with the other frees what both hold. Such a pair is left as it is.
  bool IsAnotherNameOf(const std::u16string& source, const FileInfo& entry, const std::u16string& targetName) {
    const FileInfo* existing = Existing(targetName);
    return existing != nullptr && !existing->IsFolder && !existing->IsLink && existing->Size == entry.Size &&
           existing->Modified == entry.Modified && SameFile(source, JoinPath(targetFolder_, existing->Name));
  }

  Placement MoveFolderByRename(const std::u16string& source, const std::u16string& targetName) {
    return operation_.RenameOnCollision ? PlaceNoReplace(source, targetName, true)
                                        : PlaceFolderWithoutReplacing(source, targetName);
  }

  // Our own temporary, made for this item: a new file, never another name of one there.
  Placement Place(const std::u16string& from, const std::u16string& targetName, bool isFolder) {
    if (isFolder) return MoveFolderByRename(from, targetName);
    return operation_.RenameOnCollision ? PlaceNoReplace(from, targetName, false) : PlaceReplacing(from, targetName);
  }

  Status Discard(const std::u16string& path) {
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
  Status RemoveTree(const std::u16string& root) {
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

  Status CopyToTemporary(const std::u16string& source, std::u16string& temporary, const CopySettings& settings,
                         CopyReport& report) {
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

  Status CreateTemporaryFolder(std::u16string& temporary) {
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

  // Undoes an arrival whose source has to stay, so that a move happens whole
  // or not at all: only while the source is still there, and only the very
  // file this run made (by its id, not by its size and time, which another
  // run's copy of the same source shares). A copy that replaced a file stays:
  // the file it replaced is gone either way, and the name should at least
  // hold the new one. A duplicate is better than a loss.
  Placement TakeBackFile(Placement placed, const std::u16string& source, uint64_t copyId, ItemOutcome outcome,
                         Status status) {
    const std::u16string path = JoinPath(targetFolder_, placed.Name);
    FileInfo now;
    FileInfo sourceNow;
    const bool ours = placed.Outcome != ItemOutcome::Replaced && copyId != 0 && fs_.GetIdentity(path, now).IsOk() &&
                      !now.IsFolder && now.FileId == copyId && fs_.GetInfo(source, sourceNow).IsOk();
    return Settle(std::move(placed), ours && Discard(path).IsOk(), outcome, std::move(status));
  }

  Placement TakeBackFolder(Placement placed, const TreeCopy& copy, ItemOutcome outcome, Status status) {
    const std::u16string path = JoinPath(targetFolder_, placed.Name);
    bool removed = true;
    for (const CopiedFile& file : copy.Files) removed = Discard(JoinPath(path, file.Relative)).IsOk() && removed;
    for (auto folder = copy.Folders.rbegin(); folder != copy.Folders.rend(); ++folder) {
      const Status folderStatus = fs_.RemoveEmptyFolder(folder->empty() ? path : JoinPath(path, *folder));
      removed = (folderStatus.IsOk() || folderStatus.Code == StatusCode::NotFound) && removed;
    }
    return Settle(std::move(placed), removed, outcome, std::move(status));
  }

  Placement Settle(Placement placed, bool takenBack, ItemOutcome outcome, Status status) {
    if (takenBack) Forget(placed.Name);
    placed.Outcome = takenBack ? outcome : ItemOutcome::SourceKept;
    placed.StepStatus = std::move(status);
    return placed;
  }

  Placement CopyFile(const std::u16string& source, const std::u16string& targetName, bool move) {
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
    std::u16string temporary;
    CopyReport report;
    status = CopyToTemporary(source, temporary, CopySettings{before.Attributes, move}, report);
    const uint64_t copyId = report.CopyId;
    if (!status.IsOk()) {
      failed.Outcome = OutcomeOf(status);
      failed.StepStatus = status;
      return failed;
    }
    FileInfo copied;
    status = fs_.GetInfo(temporary, copied);
    if (status.IsOk() && copied.Size != before.Size) {
      status = Status::Error(StatusCode::IoError, 0, "the copy's size differs from the source's");
    }
    FileInfo after;
    if (status.IsOk()) status = fs_.GetInfo(source, after);
    if (status.IsOk() && !Unchanged(before, after)) {
      Discard(temporary);
      failed.Outcome = ItemOutcome::SourceChanged;
      return failed;
    }
    if (!status.IsOk()) {
      Discard(temporary);
      failed.Outcome = OutcomeOf(status);
      failed.StepStatus = status;
      return failed;
    }

    Placement placed = Place(temporary, targetName, false);
    if (!Arrived(placed.Outcome)) {
      Discard(temporary);
      return placed;
    }
    if (!move) return placed;

    // The source goes last, and only once the new name is on the disk: a
    // power cut before that leaves two copies, never none. Where the name
    // cannot be made durable the source stays, and a later pass, finding
    // the copy in place, removes it.
    status = fs_.FlushFolder(targetFolder_);
    if (!status.IsOk()) return KeepSource(std::move(placed), status);
    // Only while it is still the file that was copied; a read-only one goes
    // as the shell's move removes it.
    bool changed = false;
    status = fs_.RemoveFileIfUnchanged(source, StampOfCopied(before, report), changed);
    // Gone meanwhile (another run moved it, or its owner removed it): the
    // copy is whole and stays.
    if (status.Code == StatusCode::NotFound) return placed;
    if (status.IsOk() && changed) {
      return TakeBackFile(std::move(placed), source, copyId, ItemOutcome::SourceChanged, Status::Ok());
    }
    if (!status.IsOk()) return TakeBackFile(std::move(placed), source, copyId, OutcomeOf(status), status);
    return placed;
  }

  static Placement KeepSource(Placement placed, Status status) {
    placed.Outcome = ItemOutcome::SourceKept;
    placed.StepStatus = std::move(status);
    return placed;
  }

  // A move between volumes that an earlier pass placed but did not finish
  // (the power went before the source was removed, or its destination
  // cannot make a name durable) finds its copy under the name it would
  // take, or a numbered one: same size, same time, same bytes. Only names
  // that were there before this run count. Never a link, nor the source
  // itself: Wine shows a Linux symlink as the file it leads to, with its
  // size and time, and one there that leads to the source would otherwise
  // be taken for the copy of it. `sourceStamp` receives the source as it
  // was compared, for its removal.
  const FileInfo* FindDeliveredFile(const std::u16string& source, const FileInfo& before,
                                    const std::u16string& targetName, FileStamp& sourceStamp) {
    FileInfo sourceIdentity;
    bool identified = false;
    for (unsigned number = 1; number <= kMaxNameAttempts; ++number) {
      const FileInfo* existing = Existing(number == 1 ? targetName : NumberedName(targetName, number, false));
      if (existing == nullptr) return nullptr;
      if (!existing->IsFolder && !existing->IsLink && existing->Size == before.Size &&
          existing->Modified == before.Modified && existing->Modified != 0) {
        if (!identified) {
          if (!fs_.GetIdentity(source, sourceIdentity).IsOk()) return nullptr;
          identified = true;
        }
        if (IsDistinctCopy(source, sourceIdentity, JoinPath(targetFolder_, existing->Name), existing->Name)) {
          sourceStamp = FileStamp::Of(sourceIdentity);
          return existing;
        }
      }
      if (!operation_.RenameOnCollision) return nullptr;
    }
    return nullptr;
  }

  // A file of its own (not the source under another name or through a
  // link) with the source's bytes. Where the copy could never be made
  // durable the source stays anyway, and size and time are all it takes to
  // know the copy (no reading both whole on every pass).
  bool IsDistinctCopy(const std::u16string& source, const FileInfo& sourceIdentity, const std::u16string& copy,
                      const std::u16string& name) {
    FileInfo identity;
    if (!fs_.GetIdentity(copy, identity).IsOk()) return false;
    if (identity.FileId != 0 && identity.FileId == sourceIdentity.FileId && identity.VolumeId == sourceIdentity.VolumeId) {
      return false;
    }
    std::u16string resolved;
    if (LeadsElsewhere(ResolvedTargetFolder(), copy, name, resolved)) return false;
    if (!TargetFolderFlushes()) return true;
    bool same = false;
    return fs_.CompareContent(source, copy, same).IsOk() && same;
  }

  // The copy's name is made durable before its source goes. On a volume
  // that cannot flush a folder nothing ever says it is: the source stays
  // (SourceKept), as it did when the copy was placed.
  Placement FinishDeliveredFile(const std::u16string& source, const FileStamp& sourceStamp,
                                const std::u16string& name) {
    Placement placement;
    placement.Name = name;
    Status status = fs_.FlushFolder(targetFolder_);
    if (!status.IsOk()) return KeepSource(std::move(placement), status);
    bool changed = false;
    status = fs_.RemoveFileIfUnchanged(source, sourceStamp, changed);
    if (status.IsOk() && changed) {
      placement.Outcome = ItemOutcome::SourceChanged;
      return placement;
    }
    if (status.IsOk() || status.Code == StatusCode::NotFound) {
      placement.Outcome = ItemOutcome::FoundInPlace;
      return placement;
    }
    placement.Outcome = OutcomeOf(status);
    placement.StepStatus = status;
    return placement;
  }

  // SharingViolation if any file of the tree is held open, checked before
  // any work so that a move between volumes is not left half done.
  Status CheckTreeFree(const std::u16string& root) {
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

  // The path the disk resolves, or nothing when it cannot say.
  std::u16string Resolved(const std::u16string& path) {
    std::u16string resolved;
    if (!fs_.ResolvedPath(path, resolved).IsOk()) resolved.clear();
    return resolved;
  }

  // Wine shows a Linux symlink to a folder as a plain folder, which a tree
  // copy would follow to wherever it leads. Its resolved path gives it away:
  // it is not its parent's resolved path and its own name. `resolved`
  // receives the folder's, for its own entries; with no parent's to go by
  // nothing is said.
  bool LeadsElsewhere(const std::u16string& resolvedParent, const std::u16string& path, const std::u16string& name,
                      std::u16string& resolved) {
    resolved.clear();
    if (resolvedParent.empty()) return false;
    resolved = Resolved(path);
    if (resolved.empty()) return false;
    return ComparablePath(resolved) != ComparablePath(JoinPath(resolvedParent, name));
  }

  // Copies the tree below `sourceRoot` into the existing folder `copyRoot`.
  // A link to a folder is not followed: it may lead back up the tree.
  // `keepTimes` for a move: every file and folder keeps its times, the
  // folders' set last, once nothing is added to them any more.
  Status CopyTree(const std::u16string& sourceRoot, const std::u16string& copyRoot, TreeCopy& copy,
                  bool keepTimes) {
    const Status status = CopyTreeEntries(sourceRoot, copyRoot, copy, keepTimes);
    if (status.IsOk() && keepTimes) {
      for (auto folder = copy.Folders.rbegin(); folder != copy.Folders.rend(); ++folder) {
        fs_.CopyTimes(folder->empty() ? sourceRoot : JoinPath(sourceRoot, *folder),
                      folder->empty() ? copyRoot : JoinPath(copyRoot, *folder));
      }
    }
    return status;
  }

  Status CopyTreeEntries(const std::u16string& sourceRoot, const std::u16string& copyRoot, TreeCopy& copy,
                         bool keepTimes) {
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
        if (status.IsOk()) status = fs_.CopyToNewFile(sourcePath, copyPath, {before.Attributes, keepTimes}, &report);
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
        if (!status.IsOk()) return status;
        copy.Files.push_back({relative, before, StampOfCopied(before, report)});
      }
    }
    return Status::Ok();
  }

  Placement CopyFolder(const std::u16string& source, const FileInfo& entry, const std::u16string& targetName,
                       bool move) {
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

  bool TargetFolderFlushes() {
    if (!flushProbed_) {
      flushProbed_ = true;
      targetFlushes_ = fs_.FlushFolder(targetFolder_).Code != StatusCode::Unsupported;
    }
    return targetFlushes_;
  }

  // The folder counterpart of FindDeliveredFile: a folder under the name the
  // item would take, or a numbered one, that holds every file of the source
  // tree at the same place with the same size, time and bytes, and is
  // neither the source itself nor reached through a link (Wine shows a
  // Linux symlink to a folder as a plain folder). `found` is then what
  // RemoveCopiedSource needs to remove the source.
  const FileInfo* FindDeliveredFolder(const std::u16string& source, const std::u16string& targetName,
                                      TreeCopy& found) {
    for (unsigned number = 1; number <= kMaxNameAttempts; ++number) {
      const FileInfo* existing = Existing(number == 1 ? targetName : NumberedName(targetName, number, true));
      if (existing == nullptr) return nullptr;
      const std::u16string path = JoinPath(targetFolder_, existing->Name);
      std::u16string resolved;
      if (existing->IsFolder && !existing->IsLink && existing->Modified != 0 &&
          !LeadsElsewhere(ResolvedTargetFolder(), path, existing->Name, resolved) &&
          TreeHeldBy(source, path, resolved, found)) {
        return existing;
      }
      if (!operation_.RenameOnCollision) return nullptr;
    }
    return nullptr;
  }

  // Every file a copy of its own: not one reached through a link into the
  // source, nor the same file under a second name.
  bool TreeHeldBy(const std::u16string& sourceRoot, const std::u16string& copyRoot,
                  const std::u16string& resolvedCopyRoot, TreeCopy& found) {
    found = TreeCopy{};
    found.Folders.push_back(u"");
    std::vector<std::u16string> resolved{resolvedCopyRoot};
    for (size_t next = 0; next < found.Folders.size(); ++next) {
      const std::u16string folder = found.Folders[next];
      std::vector<FileInfo> entries;
      if (!fs_.ListFolder(folder.empty() ? sourceRoot : JoinPath(sourceRoot, folder), entries).IsOk()) return false;
      for (const FileInfo& entry : entries) {
        if (IsTemporaryName(entry.Name)) continue;
        const std::u16string relative = folder.empty() ? entry.Name : JoinPath(folder, entry.Name);
        const std::u16string copyPath = JoinPath(copyRoot, relative);
        FileInfo copy;
        std::u16string here;
        if (!fs_.GetIdentity(copyPath, copy).IsOk() || copy.IsFolder != entry.IsFolder ||
            LeadsElsewhere(resolved[next], copyPath, entry.Name, here)) {
          return false;
        }
        if (entry.IsFolder) {
          found.Folders.push_back(relative);
          resolved.push_back(std::move(here));
          continue;
        }
        const std::u16string sourcePath = JoinPath(sourceRoot, relative);
        FileInfo original;
        bool same = false;
        if (copy.Size != entry.Size || copy.Modified != entry.Modified ||
            !fs_.GetIdentity(sourcePath, original).IsOk() ||
            (copy.FileId != 0 && copy.FileId == original.FileId && copy.VolumeId == original.VolumeId) ||
            !fs_.CompareContent(sourcePath, copyPath, same).IsOk() || !same) {
          return false;
        }
        found.Files.push_back({relative, entry, FileStamp::Of(original)});
      }
    }
    return true;
  }

  // Removes from the source what was copied and is still as it was copied.
  // Until the first removal succeeds the move can still be undone whole,
  // when `mayTakeBack` (the copy is this run's own). A file already gone
  // from the source counts as removed: its copy is all that is left of it.
  Placement RemoveCopiedSource(const std::u16string& sourceRoot, const TreeCopy& copy, Placement placed,
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

  FileSystem& fs_;
  const FileOperation& operation_;
  std::u16string sourceFolder_;
  std::u16string targetFolder_;
  bool sameFolder_ = false;
  bool targetResolved_ = false;
  std::u16string resolvedTarget_;  // as far as it exists
  bool sourceResolved_ = false;
  std::u16string resolvedSource_;
  bool targetFolderResolved_ = false;
  std::u16string resolvedTargetFolder_;
  bool prepared_ = false;
  bool flushProbed_ = false;
  bool targetFlushes_ = true;
  // The target folder's names, folded, as last seen or placed.
  std::map<std::u16string, FileInfo> names_;
  // Names in sight that share their file with a leftover (folded).
  std::set<std::u16string> sharedNames_;
  std::mt19937_64 random_;
};

}  // namespace

std::vector<ItemResult> PerformFileOperation(FileSystem& fileSystem, const FileOperation& operation) {
  return OperationRun(fileSystem, operation).Run();
}

}  // namespace savrin
