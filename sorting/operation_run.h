#pragma once
// The engine of PerformFileOperation, shared by the files that hold its
// parts (file_operation.h has the guarantees and the cost of each step).
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/case_fold.h"
#include "platform/file_system.h"
#include "platform/status.h"
#include "sorting/file_operation.h"

namespace savrin::operation {

// A fresh random name that is taken already is tried again with another;
// past this many something else is wrong with the folder.
constexpr int kTemporaryNameAttempts = 16;

inline bool Unchanged(const FileInfo& before, const FileInfo& after) {
  return before.IsFolder == after.IsFolder && before.Size == after.Size && before.Modified == after.Modified;
}

inline bool Arrived(ItemOutcome outcome) {
  return outcome == ItemOutcome::Placed || outcome == ItemOutcome::Renamed || outcome == ItemOutcome::Replaced;
}

inline ItemOutcome OutcomeOf(const Status& status) {
  return status.Code == StatusCode::SharingViolation ? ItemOutcome::InUse : ItemOutcome::Failed;
}

// The source as the copy read it: the look before the copy, with what the
// copy itself could tell besides.
inline FileStamp StampOfCopied(const FileInfo& before, const CopyReport& report) {
  FileStamp stamp = FileStamp::Of(before);
  if (report.Source.FileId != 0) stamp.FileId = report.Source.FileId;
  if (report.Source.Changed != 0) stamp.Changed = report.Source.Changed;
  return stamp;
}

// One file, by the volume's own ids (unknown ids say nothing).
inline bool IsSameFile(const FileInfo& a, const FileInfo& b) {
  return a.FileId != 0 && a.FileId == b.FileId && a.VolumeId == b.VolumeId;
}

inline FileAttributes HiddenOnly() {
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

// A file copied into its temporary and not yet flushed.
struct PendingCopy {
  size_t result;  // which item it is
  std::u16string source;
  std::u16string targetName;
  std::u16string temporary;
  FileInfo before;    // the source as it was copied
  CopyReport report;  // what the copy saw
  bool move;
  std::optional<Placement> dropped;  // what became of it when the copy is not to be placed
};

class OperationRun {
 public:
  OperationRun(FileSystem& fileSystem, const FileOperation& operation)
      : fs_(fileSystem), operation_(operation), random_(Seed()) {}
  std::vector<ItemResult> Run();

 private:
  // --- Choosing the items, and each item's way (file_operation.cpp)
  std::vector<ItemResult> ProcessItems(const std::vector<std::pair<FileInfo, std::u16string>>& items, int depth);
  static uint64_t Seed();
  static std::vector<FileInfo> SelectItems(const std::vector<FileInfo>& entries, const std::u16string& pattern,
                                           bool wildcard);
  bool SameFolder(const std::u16string& a, const std::u16string& b);
  bool TargetIsSameOrInside(const std::u16string& folder);
  const std::u16string& ResolvedSourceFolder();
  const std::u16string& ResolvedTargetFolder();
  std::u16string ResolveAsFarAsItExists(const std::u16string& path);
  void ProcessItem(const FileInfo& entry, const std::u16string& targetName, int depth, size_t index);
  Placement MergeFolder(const std::u16string& source, const std::u16string& targetName, int depth);
  void SetResult(size_t index, const Placement& placement);
  std::u16string Resolved(const std::u16string& path);
  bool LeadsElsewhere(const std::u16string& resolvedParent, const std::u16string& path, const std::u16string& name,
                      std::u16string& resolved);

  // --- Placing: no-replace, replacing, and the names of the target folder (operation_placing.cpp)
  bool SameFile(const std::u16string& a, const std::u16string& b);
  void Remember(const std::u16string& name, bool isFolder);
  void Forget(const std::u16string& name) { names_.erase(FoldCase(name)); }
  const FileInfo* Existing(const std::u16string& name) const;
  Placement PlaceNoReplace(const std::u16string& from, const std::u16string& targetName, bool isFolder);
  Placement PlaceReplacing(const std::u16string& from, const std::u16string& targetName);
  Placement PlaceFolderWithoutReplacing(const std::u16string& from, const std::u16string& targetName);
  Placement MoveFileByRename(const std::u16string& source, const FileInfo& entry, const std::u16string& targetName);
  bool OnTheSourcesVolume();
  bool IsAnotherNameOf(const std::u16string& source, const FileInfo& entry, const std::u16string& targetName);
  Placement MoveFolderByRename(const std::u16string& source, const std::u16string& targetName);
  Placement Place(const std::u16string& from, const std::u16string& targetName, bool isFolder);

  // --- Copying: files, the batch and its flushes, trees (operation_copying.cpp)
  Status CopyToTemporary(const std::u16string& source, std::u16string& temporary, const CopySettings& settings,
                         CopyReport& report);
  Status CreateTemporaryFolder(std::u16string& temporary);
  std::optional<Placement> CopyFile(const std::u16string& source, const std::u16string& targetName, bool move,
                                    size_t result);
  void StartFlushingBatch();
  void FinishAllBatches();
  void FinishFlushingBatch();
  Status CheckTreeFree(const std::u16string& root);
  Status CopyTree(const std::u16string& sourceRoot, const std::u16string& copyRoot, TreeCopy& copy, bool keepTimes);
  Status FlushTreeCopies(std::vector<std::u16string>& unflushed);
  Status CopyTreeEntries(const std::u16string& sourceRoot, const std::u16string& copyRoot, TreeCopy& copy,
                         bool keepTimes, std::vector<std::u16string>& unflushed);
  Placement CopyFolder(const std::u16string& source, const FileInfo& entry, const std::u16string& targetName,
                       bool move);
  bool TargetFolderFlushes();

  // --- Finishing what an earlier run left: leftovers, copies found in place (operation_leftovers.cpp)
  void PrepareTargetFolder();
  bool RemoveLeftover(const FileInfo& entry);
  bool IsAnotherNameOfAFileInSight(const FileInfo& leftover);
  const FileInfo* FindDeliveredFile(const std::u16string& source, const FileInfo& before,
                                    const std::u16string& targetName, FileStamp& sourceStamp);
  std::vector<const FileInfo*> NamesTheItemCouldHaveTaken(const std::u16string& targetName, bool isFolder) const;
  bool IsDistinctCopy(const std::u16string& source, const FileInfo& sourceIdentity, const std::u16string& copy,
                      const std::u16string& name);
  Placement FinishDeliveredFile(const std::u16string& source, const FileStamp& sourceStamp, const std::u16string& name);
  const FileInfo* FindDeliveredFolder(const std::u16string& source, const std::u16string& targetName, TreeCopy& found);
  bool TreeHeldBy(const std::u16string& sourceRoot, const std::u16string& copyRoot,
                  const std::u16string& resolvedCopyRoot, TreeCopy& found);

  // --- Removing: sources, taken-back copies, trees of ours (operation_removal.cpp)
  Status Discard(const std::u16string& path);
  Status RemoveTree(const std::u16string& root);
  Placement TakeBackFile(Placement placed, const std::u16string& source, uint64_t copyId, ItemOutcome outcome,
                         Status status);
  Placement TakeBackFolder(Placement placed, const TreeCopy& copy, ItemOutcome outcome, Status status);
  Placement Settle(Placement placed, bool takenBack, ItemOutcome outcome, Status status);
  Placement RemoveMovedSource(const PendingCopy& copy, Placement placed);
  static Placement KeepSource(Placement placed, Status status);
  Placement RemoveCopiedSource(const std::u16string& sourceRoot, const TreeCopy& copy, Placement placed,
                               bool mayTakeBack);

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
  std::vector<ItemResult> results_;
  std::vector<PendingCopy> batch_;  // being copied
  uint64_t batchBytes_ = 0;
  std::vector<PendingCopy> flushing_;  // in flight
  std::mt19937_64 random_;
};

}  // namespace savrin::operation
