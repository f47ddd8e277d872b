#include "sorting/file_operation.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <random>
#include <utility>

#include "platform/path_text.h"
#include "platform/case_fold.h"
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
  return before.isFolder == after.isFolder && before.size == after.size && before.modified == after.modified;
}

bool Arrived(ItemOutcome outcome) {
  return outcome == ItemOutcome::Placed || outcome == ItemOutcome::Renamed || outcome == ItemOutcome::Replaced;
}

ItemOutcome OutcomeOf(const Status& status) {
  return status.code == StatusCode::SharingViolation ? ItemOutcome::InUse : ItemOutcome::Failed;
}

FileAttributes HiddenOnly() {
  FileAttributes attributes;
  attributes.hidden = true;
  return attributes;
}

struct Placement {
  ItemOutcome outcome = ItemOutcome::Failed;
  Status status;
  std::u16string name;  // the name taken (or tried last) in the target folder
};

struct CopiedFile {
  std::u16string relative;  // below the copied folder
  FileInfo before;          // the source as it was copied
};

// What a folder copy took from the source, so that a move removes exactly
// that and nothing that arrived or changed in the meantime, and an undo
// removes exactly the copy and nothing put into it since.
struct TreeCopy {
  std::vector<CopiedFile> files;
  std::vector<std::u16string> folders;  // relative, "" first, parents before their children
  bool sourceChanged = false;
};

class OperationRun {
 public:
  OperationRun(FileSystem& fileSystem, const FileOperation& operation)
      : fs_(fileSystem), operation_(operation), random_(Seed()) {}

  std::vector<ItemResult> Run() {
    const PathSplit source = SplitAtLastSeparator(operation_.source);
    const PathSplit destination = SplitAtLastSeparator(operation_.destination);
    // An empty folder part would make the paths relative to whatever the
    // current directory happens to be.
    if (source.name.empty() || source.folder.empty() || destination.folder.empty()) return {};
    sourceFolder_ = source.folder;
    targetFolder_ = destination.folder;

    const bool wildcard = HasWildcard(source.name);
    std::vector<FileInfo> entries;
    if (!fs_.ListFolder(sourceFolder_, entries).IsOk()) return {};
    const std::vector<FileInfo> items = SelectItems(entries, source.name, wildcard);
    if (items.empty()) return {};

    sameFolder_ = SameFolder(sourceFolder_, targetFolder_);
    std::vector<ItemResult> results;
    for (const FileInfo& item : items) {
      const bool ownName = wildcard || destination.name.empty();
      results.push_back(ProcessItem(item, ownName ? item.name : destination.name));
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
      if (IsTemporaryName(entry.name) || !NameMatches(pattern, entry.name)) continue;
      if (wildcard) {
        if (!entry.isFolder && !entry.attributes.hidden && !entry.attributes.system) items.push_back(entry);
      } else if (entry.name == pattern) {
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
    return first.fileId != 0 && first.volumeId == second.volumeId && first.fileId == second.fileId;
  }

  ItemResult ProcessItem(const FileInfo& entry, const std::u16string& targetName) {
    ItemResult result;
    result.source = JoinPath(sourceFolder_, entry.name);
    result.target = JoinPath(targetFolder_, targetName);
    // A copy onto itself would otherwise add a renamed copy on every pass.
    if (sameFolder_ && EqualsIgnoringCase(entry.name, targetName)) {
      result.outcome = ItemOutcome::SameItem;
      return result;
    }
    if (entry.isFolder && IsSameOrInside(targetFolder_, result.source)) {
      result.outcome = ItemOutcome::Blocked;
      return result;
    }
    const bool move = operation_.kind == SortMethod::Move;
    // A rename would carry off a file that is still being written; a copy
    // needs no probe, its own read refuses a file open for writing.
    if (!entry.isFolder && move) {
      const Status status = fs_.TryOpenExclusive(result.source);
      if (status.code == StatusCode::SharingViolation || status.code == StatusCode::NotFound) {
        result.outcome = OutcomeOf(status);
        result.status = status;
        return result;
      }
    }
    PrepareTargetFolder();

    Placement placement;
    if (move) {
      placement = entry.isFolder ? MoveFolderByRename(result.source, targetName)
                                 : MoveFileByRename(result.source, targetName);
    }
    if (!move || placement.status.code == StatusCode::CrossDevice) {
      placement = entry.isFolder ? CopyFolder(result.source, entry, targetName, move)
                                 : CopyFile(result.source, targetName, move);
    }
    if (move && sameFolder_ && Arrived(placement.outcome)) Forget(entry.name);
    result.outcome = placement.outcome;
    result.status = placement.status;
    if (!placement.name.empty()) result.target = JoinPath(targetFolder_, placement.name);
    return result;
  }

  // Learns the target folder's names once, and removes what a crash left of
  // our own copies there. A temporary is only ever a second copy (a source
  // goes only after its copy was renamed away from the temporary name), so
  // removing one loses nothing; one still held open is another run's, and
  // stays.
  void PrepareTargetFolder() {
    if (prepared_) return;
    prepared_ = true;
    std::vector<FileInfo> entries;
    if (!fs_.ListFolder(targetFolder_, entries).IsOk()) return;
    for (const FileInfo& entry : entries) {
      if (IsTemporaryName(entry.name)) {
        const std::u16string path = JoinPath(targetFolder_, entry.name);
        const bool removed = entry.isFolder ? RemoveTree(path).IsOk()
                                            : fs_.TryOpenExclusive(path).IsOk() && Discard(path).IsOk();
        if (removed) continue;
      }
      names_[FoldCase(entry.name)] = entry;
    }
  }

  void Remember(const std::u16string& name, bool isFolder) {
    FileInfo info;
    info.name = name;
    info.isFolder = isFolder;
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
        placement.outcome = number == 1 ? ItemOutcome::Placed : ItemOutcome::Renamed;
        placement.name = std::move(name);
        return placement;
      }
      if (status.code != StatusCode::Exists) {
        placement.outcome = OutcomeOf(status);
        placement.status = status;
        return placement;
      }
      Remember(name, false);
    }
    placement.outcome = ItemOutcome::NoFreeName;
    placement.status = Status::Error(StatusCode::Exists);
    return placement;
  }

  // Overwrite, for a file: one replacing rename, so the name holds the old
  // file or the new one and never neither. On a case-sensitive file system
  // the existing spelling is the one replaced, as Windows would.
  Placement PlaceReplacing(const std::u16string& from, const std::u16string& targetName) {
    Placement placement;
    const FileInfo* known = Existing(targetName);
    placement.name = known != nullptr ? known->name : targetName;
    const std::u16string target = JoinPath(targetFolder_, placement.name);
    FileInfo existing;
    const Status found = fs_.GetInfo(target, existing);
    if (!found.IsOk() && found.code != StatusCode::NotFound) {
      placement.status = found;
      return placement;
    }
    const bool replacing = found.IsOk();
    if (replacing && existing.isFolder) {
      placement.outcome = ItemOutcome::Blocked;
      return placement;
    }
    // MoveFileEx refuses to replace a read-only file; the shell clears the
    // attribute first, and so do we.
    const bool clearReadOnly = replacing && existing.attributes.readOnly;
    if (clearReadOnly) {
      FileAttributes writable = existing.attributes;
      writable.readOnly = false;
      const Status status = fs_.SetAttributes(target, writable);
      if (!status.IsOk()) {
        placement.outcome = OutcomeOf(status);
        placement.status = status;
        return placement;
      }
    }
    const Status status = fs_.MoveReplace(from, target);
    if (!status.IsOk()) {
      if (clearReadOnly) fs_.SetAttributes(target, existing.attributes);
      placement.outcome = OutcomeOf(status);
      placement.status = status;
      return placement;
    }
    Remember(placement.name, false);
    placement.outcome = replacing ? ItemOutcome::Replaced : ItemOutcome::Placed;
    return placement;
  }

  // Overwrite, for a folder: a folder never replaces anything, and nothing
  // is merged into an existing folder.
  Placement PlaceFolderWithoutReplacing(const std::u16string& from, const std::u16string& targetName) {
    Placement placement;
    placement.name = targetName;
    if (Existing(targetName) != nullptr) {
      placement.outcome = ItemOutcome::Blocked;
      return placement;
    }
    const Status status = fs_.MoveNoReplace(from, JoinPath(targetFolder_, targetName));
    if (status.IsOk()) {
      Remember(targetName, true);
      placement.outcome = ItemOutcome::Placed;
      return placement;
    }
    placement.outcome = status.code == StatusCode::Exists ? ItemOutcome::Blocked : OutcomeOf(status);
    placement.status = status;
    return placement;
  }

  Placement MoveFileByRename(const std::u16string& source, const std::u16string& targetName) {
    return operation_.renameOnCollision ? PlaceNoReplace(source, targetName, false)
                                        : PlaceReplacing(source, targetName);
  }

  Placement MoveFolderByRename(const std::u16string& source, const std::u16string& targetName) {
    return operation_.renameOnCollision ? PlaceNoReplace(source, targetName, true)
                                        : PlaceFolderWithoutReplacing(source, targetName);
  }

  Placement Place(const std::u16string& from, const std::u16string& targetName, bool isFolder) {
    if (isFolder) return MoveFolderByRename(from, targetName);
    return MoveFileByRename(from, targetName);
  }

  Status Discard(const std::u16string& path) {
    Status status = fs_.RemoveFile(path);
    if (status.code == StatusCode::AccessDenied && fs_.SetAttributes(path, FileAttributes{}).IsOk()) {
      status = fs_.RemoveFile(path);
    }
    return status.code == StatusCode::NotFound ? Status::Ok() : status;
  }

  // A read-only source is removed as the shell's move removes it.
  Status RemoveSourceFile(const std::u16string& path, const FileAttributes& attributes) {
    if (attributes.readOnly) {
      FileAttributes writable = attributes;
      writable.readOnly = false;
      const Status status = fs_.SetAttributes(path, writable);
      if (!status.IsOk()) return status;
    }
    const Status status = fs_.RemoveFile(path);
    if (!status.IsOk() && attributes.readOnly) fs_.SetAttributes(path, attributes);
    return status;
  }

  // Removes a folder of our own with all it holds. Walked with a list, not
  // by recursion: a tree as deep as a long path allows would outgrow a
  // thread's stack.
  Status RemoveTree(const std::u16string& root) {
    std::vector<std::u16string> folders{root};
    Status result;
    for (size_t next = 0; next < folders.size(); ++next) {
      std::vector<FileInfo> entries;
      const Status listed = fs_.ListFolder(folders[next], entries);
      if (!listed.IsOk() && result.IsOk()) result = listed;
      for (const FileInfo& entry : entries) {
        const std::u16string path = JoinPath(folders[next], entry.name);
        if (entry.isFolder && !entry.isLink) {
          folders.push_back(path);
          continue;
        }
        const Status status = entry.isFolder ? fs_.RemoveEmptyFolder(path) : Discard(path);
        if (!status.IsOk() && result.IsOk()) result = status;
      }
    }
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
      const Status status = fs_.RemoveEmptyFolder(*folder);
      if (!status.IsOk() && status.code != StatusCode::NotFound && result.IsOk()) result = status;
    }
    return result;
  }

  Status CopyToTemporary(const std::u16string& source, std::u16string& temporary) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
      temporary = JoinPath(targetFolder_, TemporaryName(random_()));
      const Status status = fs_.CopyToNewFile(source, temporary, HiddenOnly());
      // Exists means the name is someone else's: never touch it.
      if (status.code == StatusCode::Exists) continue;
      if (!status.IsOk()) Discard(temporary);
      return status;
    }
    return Status::Error(StatusCode::Exists, 0, "no free temporary name");
  }

  Status CreateTemporaryFolder(std::u16string& temporary) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
      temporary = JoinPath(targetFolder_, TemporaryName(random_()));
      const Status status = fs_.CreateFolder(temporary);
      if (status.code == StatusCode::Exists) continue;
      // Hidden only so it is out of sight; a visible one is as safe.
      if (status.IsOk()) fs_.SetAttributes(temporary, HiddenOnly());
      return status;
    }
    return Status::Error(StatusCode::Exists, 0, "no free temporary name");
  }

  // Undoes an arrival whose source has to stay, so that a move happens whole
  // or not at all. A copy that replaced a file stays: the file it replaced is
  // gone either way, and the name should at least hold the new one. What no
  // longer looks like our copy stays too; it may be someone else's by now.
  Placement TakeBackFile(Placement placed, const FileInfo& copied, ItemOutcome outcome, Status status) {
    const std::u16string path = JoinPath(targetFolder_, placed.name);
    FileInfo now;
    const bool ours = placed.outcome != ItemOutcome::Replaced && fs_.GetInfo(path, now).IsOk() &&
                      !now.isFolder && now.size == copied.size && now.modified == copied.modified;
    return Settle(std::move(placed), ours && Discard(path).IsOk(), outcome, std::move(status));
  }

  Placement TakeBackFolder(Placement placed, const TreeCopy& copy, ItemOutcome outcome, Status status) {
    const std::u16string path = JoinPath(targetFolder_, placed.name);
    bool removed = true;
    for (const CopiedFile& file : copy.files) removed = Discard(JoinPath(path, file.relative)).IsOk() && removed;
    for (auto folder = copy.folders.rbegin(); folder != copy.folders.rend(); ++folder) {
      const Status folderStatus = fs_.RemoveEmptyFolder(folder->empty() ? path : JoinPath(path, *folder));
      removed = (folderStatus.IsOk() || folderStatus.code == StatusCode::NotFound) && removed;
    }
    return Settle(std::move(placed), removed, outcome, std::move(status));
  }

  Placement Settle(Placement placed, bool takenBack, ItemOutcome outcome, Status status) {
    if (takenBack) Forget(placed.name);
    placed.outcome = takenBack ? outcome : ItemOutcome::SourceKept;
    placed.status = std::move(status);
    return placed;
  }

  Placement CopyFile(const std::u16string& source, const std::u16string& targetName, bool move) {
    Placement failed;
    failed.name = targetName;
    FileInfo before;
    Status status = fs_.GetInfo(source, before);
    if (status.IsOk() && before.isFolder) status = Status::Error(StatusCode::AccessDenied, 0, "became a folder");
    if (!status.IsOk()) {
      failed.outcome = OutcomeOf(status);
      failed.status = status;
      return failed;
    }
    if (!operation_.renameOnCollision) {
      const FileInfo* existing = Existing(targetName);
      if (existing != nullptr && existing->isFolder) {
        failed.outcome = ItemOutcome::Blocked;
        return failed;
      }
    }

    std::u16string temporary;
    status = CopyToTemporary(source, temporary);
    if (!status.IsOk()) {
      failed.outcome = OutcomeOf(status);
      failed.status = status;
      return failed;
    }
    FileInfo copied;
    status = fs_.GetInfo(temporary, copied);
    if (status.IsOk() && copied.size != before.size) {
      status = Status::Error(StatusCode::IoError, 0, "the copy's size differs from the source's");
    }
    FileInfo after;
    if (status.IsOk()) status = fs_.GetInfo(source, after);
    if (status.IsOk() && !Unchanged(before, after)) {
      Discard(temporary);
      failed.outcome = ItemOutcome::SourceChanged;
      return failed;
    }
    if (status.IsOk()) status = fs_.SetAttributes(temporary, before.attributes);
    if (!status.IsOk()) {
      Discard(temporary);
      failed.outcome = OutcomeOf(status);
      failed.status = status;
      return failed;
    }

    Placement placed = Place(temporary, targetName, false);
    if (!Arrived(placed.outcome)) {
      Discard(temporary);
      return placed;
    }
    if (!move) return placed;

    // The source goes last, and only once the new name is on the disk: a
    // power cut before that leaves two copies, never none.
    status = fs_.FlushFolder(targetFolder_);
    if (!status.IsOk()) return TakeBackFile(std::move(placed), copied, OutcomeOf(status), status);
    FileInfo now;
    status = fs_.GetInfo(source, now);
    if (status.IsOk() && !Unchanged(before, now)) {
      return TakeBackFile(std::move(placed), copied, ItemOutcome::SourceChanged, Status::Ok());
    }
    if (status.IsOk()) status = RemoveSourceFile(source, before.attributes);
    if (!status.IsOk()) return TakeBackFile(std::move(placed), copied, OutcomeOf(status), status);
    return placed;
  }

  // SharingViolation if any file of the tree is held open, checked before
  // any work so that a move between volumes is not left half done.
  Status CheckTreeFree(const std::u16string& root) {
    std::vector<std::u16string> folders{root};
    for (size_t next = 0; next < folders.size(); ++next) {
      std::vector<FileInfo> entries;
      const Status listed = fs_.ListFolder(folders[next], entries);
      if (!listed.IsOk()) return listed;
      for (const FileInfo& entry : entries) {
        if (IsTemporaryName(entry.name)) continue;
        const std::u16string path = JoinPath(folders[next], entry.name);
        // A link may lead back up the tree; the copy refuses it anyway.
        if (entry.isFolder && entry.isLink) return Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
        if (entry.isFolder) {
          folders.push_back(path);
          continue;
        }
        const Status status = fs_.TryOpenExclusive(path);
        if (status.code == StatusCode::SharingViolation) return status;
      }
    }
    return Status::Ok();
  }

  // Copies the tree below `sourceRoot` into the existing folder `copyRoot`.
  // A link to a folder is not followed: it may lead back up the tree.
  Status CopyTree(const std::u16string& sourceRoot, const std::u16string& copyRoot, TreeCopy& copy) {
    copy.folders.push_back(u"");
    for (size_t next = 0; next < copy.folders.size(); ++next) {
      const std::u16string folder = copy.folders[next];
      const std::u16string from = folder.empty() ? sourceRoot : JoinPath(sourceRoot, folder);
      const std::u16string to = folder.empty() ? copyRoot : JoinPath(copyRoot, folder);
      std::vector<FileInfo> entries;
      Status status = fs_.ListFolder(from, entries);
      if (!status.IsOk()) return status;
      for (const FileInfo& entry : entries) {
        // Our own temporary may sit inside the tree when the tree is being copied into itself.
        if (IsTemporaryName(entry.name)) continue;
        const std::u16string relative = folder.empty() ? entry.name : JoinPath(folder, entry.name);
        const std::u16string sourcePath = JoinPath(from, entry.name);
        const std::u16string copyPath = JoinPath(to, entry.name);
        if (entry.isFolder) {
          if (entry.isLink) return Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
          status = fs_.CreateFolder(copyPath);
          if (status.IsOk() && (entry.attributes.hidden || entry.attributes.system)) {
            FileAttributes attributes = entry.attributes;
            attributes.readOnly = false;
            status = fs_.SetAttributes(copyPath, attributes);
          }
          if (!status.IsOk()) return status;
          copy.folders.push_back(relative);
          continue;
        }
        FileInfo before;
        status = fs_.GetInfo(sourcePath, before);
        if (status.IsOk()) status = fs_.CopyToNewFile(sourcePath, copyPath, FileAttributes{});
        FileInfo copied;
        if (status.IsOk()) status = fs_.GetInfo(copyPath, copied);
        if (status.IsOk() && copied.size != before.size) {
          status = Status::Error(StatusCode::IoError, 0, "the copy's size differs from the source's");
        }
        FileInfo after;
        if (status.IsOk()) status = fs_.GetInfo(sourcePath, after);
        if (status.IsOk() && !Unchanged(before, after)) {
          copy.sourceChanged = true;
          status = Status::Error(StatusCode::IoError, 0, "changed while it was copied");
        }
        if (status.IsOk() && !(before.attributes == FileAttributes{})) {
          status = fs_.SetAttributes(copyPath, before.attributes);
        }
        if (!status.IsOk()) return status;
        copy.files.push_back({relative, before});
      }
    }
    return Status::Ok();
  }

  Placement CopyFolder(const std::u16string& source, const FileInfo& entry, const std::u16string& targetName,
                       bool move) {
    Placement failed;
    failed.name = targetName;
    if (!operation_.renameOnCollision && Existing(targetName) != nullptr) {
      failed.outcome = ItemOutcome::Blocked;
      return failed;
    }
    Status status;
    if (entry.isLink) status = Status::Error(StatusCode::Unsupported, 0, "a link to a folder");
    if (status.IsOk() && move) status = CheckTreeFree(source);
    std::u16string temporary;
    if (status.IsOk()) status = CreateTemporaryFolder(temporary);
    if (!status.IsOk()) {
      failed.outcome = OutcomeOf(status);
      failed.status = status;
      return failed;
    }
    TreeCopy copy;
    status = CopyTree(source, temporary, copy);
    if (status.IsOk()) {
      // A folder's read-only bit only asks Explorer to look for desktop.ini;
      // hidden and system are what a user would miss.
      FileAttributes attributes = entry.attributes;
      attributes.readOnly = false;
      status = fs_.SetAttributes(temporary, attributes);
    }
    if (!status.IsOk()) {
      RemoveTree(temporary);
      failed.outcome = copy.sourceChanged ? ItemOutcome::SourceChanged : OutcomeOf(status);
      failed.status = status;
      return failed;
    }

    Placement placed = Place(temporary, targetName, true);
    if (!Arrived(placed.outcome)) {
      RemoveTree(temporary);
      return placed;
    }
    if (!move) return placed;

    status = fs_.FlushFolder(targetFolder_);
    if (!status.IsOk()) return TakeBackFolder(std::move(placed), copy, OutcomeOf(status), status);
    return RemoveCopiedSource(source, copy, std::move(placed));
  }

  // Removes from the source what was copied and is still as it was copied.
  // Until the first removal succeeds the move can still be undone whole.
  Placement RemoveCopiedSource(const std::u16string& sourceRoot, const TreeCopy& copy, Placement placed) {
    bool removedAny = false;
    Status firstFailure;
    auto failure = [&](const Status& status, ItemOutcome outcome) -> bool {
      if (firstFailure.IsOk()) {
        firstFailure = status.IsOk() ? Status::Error(StatusCode::IoError, 0, "changed since copied") : status;
      }
      if (!removedAny) {
        placed = TakeBackFolder(std::move(placed), copy, outcome, firstFailure);
        return true;
      }
      return false;
    };
    for (const CopiedFile& file : copy.files) {
      const std::u16string path = JoinPath(sourceRoot, file.relative);
      FileInfo now;
      Status status = fs_.GetInfo(path, now);
      if (status.IsOk() && !Unchanged(file.before, now)) {
        if (failure(Status::Ok(), ItemOutcome::SourceChanged)) return placed;
        continue;
      }
      if (status.IsOk()) status = RemoveSourceFile(path, file.before.attributes);
      if (status.IsOk()) {
        removedAny = true;
      } else if (failure(status, OutcomeOf(status))) {
        return placed;
      }
    }
    for (auto folder = copy.folders.rbegin(); folder != copy.folders.rend(); ++folder) {
      const Status status = fs_.RemoveEmptyFolder(folder->empty() ? sourceRoot : JoinPath(sourceRoot, *folder));
      if (status.IsOk()) {
        removedAny = true;
      } else if (failure(status, OutcomeOf(status))) {
        return placed;
      }
    }
    if (!firstFailure.IsOk()) {
      placed.outcome = ItemOutcome::SourceKept;
      placed.status = firstFailure;
    }
    return placed;
  }

  FileSystem& fs_;
  const FileOperation& operation_;
  std::u16string sourceFolder_;
  std::u16string targetFolder_;
  bool sameFolder_ = false;
  bool prepared_ = false;
  // The target folder's names, folded, as last seen or placed.
  std::map<std::u16string, FileInfo> names_;
  std::mt19937_64 random_;
};

}  // namespace

std::vector<ItemResult> PerformFileOperation(FileSystem& fileSystem, const FileOperation& operation) {
  return OperationRun(fileSystem, operation).Run();
}

}  // namespace savrin
