#include <algorithm>

#include "platform/case_fold.h"
#include "platform/path_text.h"
#include "sorting/numbered_name.h"
#include "sorting/operation_run.h"
#include "sorting/temporary_name.h"

// What an earlier run left: temporaries a crash left in the target folder,
// and copies a move placed but did not finish.

namespace savrin::operation {

// Learns the target folder's names once, and removes what a crash left of
// our own copies there (temporary_name.h says why that loses nothing):
// never through a link, never one of the earlier naming, never one that
// another run is still writing.
void OperationRun::PrepareTargetFolder() {
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
bool OperationRun::RemoveLeftover(const FileInfo& entry) {
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
bool OperationRun::IsAnotherNameOfAFileInSight(const FileInfo& leftover) {
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

// A move between volumes that an earlier pass placed but did not finish
// (the power went before the source was removed, or its destination
// cannot make a name durable) finds its copy under the name it would
// take, or a numbered one: same size, same time, same bytes. Only names
// that were there before this run count. Never a link, nor the source
// itself: Wine shows a Linux symlink as the file it leads to, with its
// size and time, and one there that leads to the source would otherwise
// be taken for the copy of it. `sourceStamp` receives the source as it
// was compared, for its removal.
const FileInfo* OperationRun::FindDeliveredFile(const std::u16string& source, const FileInfo& before,
                                                const std::u16string& targetName, FileStamp& sourceStamp) {
  FileInfo sourceIdentity;
  bool identified = false;
  for (const FileInfo* existing : NamesTheItemCouldHaveTaken(targetName, false)) {
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
  }
  return nullptr;
}

// Its own name, and under Rename the numbered ones there are, in order.
// Not only up to the first gap: the names of one batch are placed
// together, and a power cut may keep a later one and lose an earlier.
std::vector<const FileInfo*> OperationRun::NamesTheItemCouldHaveTaken(const std::u16string& targetName,
                                                                      bool isFolder) const {
  std::vector<std::pair<unsigned, const FileInfo*>> numbered;
  const std::u16string folded = FoldCase(targetName);
  // All of them begin with the name's stem, so only that part of the
  // sorted names is looked at.
  const std::u16string stem(NumberingStem(folded, isFolder));
  for (auto named = names_.lower_bound(stem); named != names_.end() && named->first.compare(0, stem.size(), stem) == 0;
       ++named) {
    const unsigned number = NumberOfName(named->first, folded, isFolder);
    if (number == 1 || (number > 1 && operation_.RenameOnCollision)) numbered.emplace_back(number, &named->second);
  }
  std::sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const FileInfo*> names;
  for (const auto& entry : numbered) names.push_back(entry.second);
  return names;
}

// A file of its own (not the source under another name or through a
// link) with the source's bytes. Where the copy could never be made
// durable the source stays anyway, and size and time are all it takes to
// know the copy (no reading both whole on every pass).
bool OperationRun::IsDistinctCopy(const std::u16string& source, const FileInfo& sourceIdentity,
                                  const std::u16string& copy, const std::u16string& name) {
  FileInfo identity;
  if (!fs_.GetIdentity(copy, identity).IsOk()) return false;
  if (IsSameFile(identity, sourceIdentity)) return false;
  std::u16string resolved;
  if (LeadsElsewhere(ResolvedTargetFolder(), copy, name, resolved)) return false;
  if (!TargetFolderFlushes()) return true;
  bool same = false;
  return fs_.CompareContent(source, copy, same).IsOk() && same;
}

// The copy's name is made durable before its source goes. On a volume
// that cannot flush a folder nothing ever says it is: the source stays
// (SourceKept), as it did when the copy was placed.
Placement OperationRun::FinishDeliveredFile(const std::u16string& source, const FileStamp& sourceStamp,
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

// The folder counterpart of FindDeliveredFile: a folder under the name the
// item would take, or a numbered one, that holds every file of the source
// tree at the same place with the same size, time and bytes, and is
// neither the source itself nor reached through a link (Wine shows a
// Linux symlink to a folder as a plain folder). `found` is then what
// RemoveCopiedSource needs to remove the source.
const FileInfo* OperationRun::FindDeliveredFolder(const std::u16string& source, const std::u16string& targetName,
                                                  TreeCopy& found) {
  for (const FileInfo* existing : NamesTheItemCouldHaveTaken(targetName, true)) {
    const std::u16string path = JoinPath(targetFolder_, existing->Name);
    std::u16string resolved;
    if (existing->IsFolder && !existing->IsLink && existing->Modified != 0 &&
        !LeadsElsewhere(ResolvedTargetFolder(), path, existing->Name, resolved) &&
        TreeHeldBy(source, path, resolved, found)) {
      return existing;
    }
  }
  return nullptr;
}

// Every file a copy of its own: not one reached through a link into the
// source, nor the same file under a second name.
bool OperationRun::TreeHeldBy(const std::u16string& sourceRoot, const std::u16string& copyRoot,
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
      if (copy.Size != entry.Size || copy.Modified != entry.Modified || !fs_.GetIdentity(sourcePath, original).IsOk() ||
          IsSameFile(copy, original) ||
          !fs_.CompareContent(sourcePath, copyPath, same).IsOk() || !same) {
        return false;
      }
      found.Files.push_back({relative, entry, FileStamp::Of(original)});
    }
  }
  return true;
}

}  // namespace savrin::operation
