#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/status.h"
#include "rules/sort_rule.h"

namespace savrin {

// A batch of copies flushed together holds at most this many files, or
// this many bytes: as many flushes as are held open at once, and as much as
// the disk is then given to write together.
inline constexpr size_t kBatchFiles = 128;
inline constexpr uint64_t kBatchBytes = uint64_t{256} << 20;

// One rule's work as the sorting pass hands it over.
struct FileOperation {
  SortMethod Kind = SortMethod::Move;
  // Source folder + "\" + file condition: "C:\in\*.pdf" or "C:\in\report.doc".
  std::u16string Source;
  // Destination folder + "\", followed by the condition when that is a plain
  // name ("D:\out\report.doc"); for a wildcard only the folder counts.
  std::u16string Destination;
  // On a name clash: true gives the arriving item "name (N).ext", false
  // replaces the file there.
  bool RenameOnCollision = true;
  // Copies flushed together at most (and at most kBatchBytes of them).
  size_t BatchFiles = kBatchFiles;
};

// What became of one item. Only Placed, Renamed and Replaced did what was
// asked; every other outcome leaves the source where it was, except
// SourceKept, which leaves it in both places, and FoundInPlace, which
// finishes a move an earlier pass began.
enum class ItemOutcome {
  Placed,         // arrived under its own name
  Renamed,        // arrived as "name (N).ext"
  Replaced,       // took the place of a file of that name
  Merged,         // a folder, under Overwrite, went entry by entry into the folder of its name there
  FoundInPlace,   // a move an earlier pass had placed but not finished: its source is removed now
  SameItem,       // source and destination are one and the same (by path, or one file under
                  // two names): nothing to do
  InUse,          // another process holds it (or a file in it) open; left for a later pass
  Blocked,        // a folder where a file would go or the other way round, a folder onto a
                  // link under Overwrite, a folder into itself, or under Overwrite a name
                  // that shares its file with a leftover temporary
  NoFreeName,     // its own name and every "name (N)" up to kMaxNameAttempts were taken
  SourceChanged,  // written to while it was copied; the copy was dropped
  SourceKept,     // arrived, but (part of) the source could not be removed: see below
  Failed,         // the file system refused a step; `StepStatus` says which
};

struct ItemResult {
  std::u16string Source;  // full path of the item taken
  std::u16string Target;  // where it went, or would have gone
  ItemOutcome Outcome = ItemOutcome::Failed;
  Status StepStatus;
};

// Candidates an arriving item may take under Rename: its own name, then
// "name (2)" up to "name (10000)". Past that the item stays where it was;
// an existing file is never replaced instead.
inline constexpr unsigned kMaxNameAttempts = 10000;

// Moves or copies what `operation.Source` names into the destination, one
// item at a time; one item's failure does not stop the next. Nothing is
// shown to the user; the results are for tests and diagnosis.
//
// A folder onto a folder of its name under Overwrite is merged into it, as
// the shell does without asking: each file replaces the file of its name in
// one step, a folder goes in whole where its name is free and is merged in
// turn where a folder has it, and a move removes the emptied source folder
// last. The folder's outcome is Merged when every entry arrived, and
// otherwise that of the first entry that did not (the ones that did stay
// arrived); SourceKept when only the emptied source folder could not go.
//
// Which items: a condition with '*' or '?' takes every matching FILE of the
// source folder, but no folder and no hidden or system file (a desktop.ini or
// Thumbs.db stays put); a plain name takes the one entry of that name, file
// or folder, hidden or not, since the user named it.
//
// What is guaranteed, if the process dies or the power goes at any moment,
// in a pass, between passes or in the passes after a cut: every file is
// where it was or complete where it went, no name in sight holds a torn,
// zero-filled or freed file, an arrival has its source's attributes and
// last-write time, and no folder copy is in sight with files missing.
// Proven against a model of the disk (the power-cut test) that keeps only
// what was made durable and, of the rest, any part; time passing (the file
// system writing back) is an event of its own there, never assumed. Three
// kinds of persistence: changes to folders, attributes and times reaching
// the disk in order, any flush committing all before it (NTFS, journalling
// file systems); in any order, a folder flush covering that folder's names
// and a file flush that file's contents, times and attributes, and a rename
// able to leave the file under both names (FAT, ext2, ext4 without a
// journal); and as the latter on a volume that cannot flush a folder (a
// network share).
//
// The steps, and what each costs. Within a volume an item is renamed: one
// atomic step, no flush. Copies and moves between volumes go through a
// temporary ("~savrin-<hex>.part", temporary_name.h) in the destination
// folder, in batches of up to kBatchFiles files or kBatchBytes:
//   1. each file of the batch is copied into its temporary with its
//      attributes and times, left unflushed (the backend starts its
//      write-back at once where it can), and checked against the source's
//      size and time;
//   2. the batch's flushes are started all at once, on a fixed pool of
//      threads (flush_pool.h), and the next batch is copied meanwhile:
//      flushes in flight together are merged by the disk stack and share a
//      journal's commits, where one after another each would wait for the
//      disk. One file flush per file, but not one disk wait per file;
//   3. once they have ended, each temporary whose flush succeeded is renamed
//      into place, in the order the items came; one whose flush failed is
//      removed and its item fails alone;
//   4. for moves, the destination folder is flushed once for the batch, and
//      only then each source is removed, and only if it is still as it was
//      copied (size, time, file id and change time).
// So no name appears before its own file is durable, and no source goes
// before a folder flush that followed its copy's placing; a cut leaves at
// most two batches of temporaries, which the next run's clean-up removes.
// A folder copied or moved between volumes has its files flushed the same
// way and each folder of its copy flushed before it is placed (one folder
// flush per folder), or is not placed at all. A destination folder the pass
// makes has its name flushed in its parent once, when it is made
// (folder_path.h).
//
// A move between volumes that a cut interrupted after its copy was placed
// is finished by the next pass: it finds the copy in place (same size, time
// and bytes, a file of its own) and removes the source once the copy's name
// is flushed (FoundInPlace), so a file is never moved twice.
//
// A volume that cannot flush a folder never says a name is on the disk.
// There a move from another volume copies and keeps its source
// (SourceKept), for good: later passes know the copy by its name, size and
// time, and neither copy again nor remove the source. A folder is neither
// moved nor copied there (Failed, Unsupported): no order of steps makes a
// tree of names durable. Within such a volume a rename is the file system's
// one step, as durable as it makes it.
//
// If a source changed, or cannot be removed, the copy is removed again so the
// move did not happen, but only while the source is still there and only the
// very file this run made (by file id): a copy whose source has vanished
// (another engine on another computer moved it) stays, and so does one that
// replaced a file under Overwrite (taking it back would leave the old one
// lost anyway). Two engines on one folder may so leave a duplicate, never a
// loss.
//
// A folder moved between volumes is copied whole first; if its source then
// cannot be removed completely, the files and folders that were removed are
// all in the copy, and what remains in the source is what could not be
// removed (held open, changed since it was copied, or arrived meanwhile),
// together with the folders that hold it: SourceKept. If not even the first
// of them could be removed, the copy is removed instead.
//
// Links and aliases. Windows shows its own links and junctions as links;
// Wine shows a Linux symlink as what it leads to, a folder link as a plain
// folder and a file link with its target's size and time, and removes or
// renames the target through it. The engine tells such an entry by its
// resolved path (not its folder's resolved path and its own name) and by
// file ids: a folder item that is a link is refused (Failed, Unsupported)
// rather than moved, merged or emptied; a tree copy never follows a link; a
// source that is a link is never removed through it; a copy found in place
// is never a link, nor the source itself under another path or name (a
// drive alias, a link back into the source, a hard link); the clean-up of
// temporaries left by a crash, and every tree removal, leave whatever leads
// elsewhere, and never touch a temporary another run is still writing
// (temporary_name.h). A destination that is the source folder under another
// path is the same folder (SameItem).
//
// A rename cut short without a journal can leave one file under two names
// that the file system counts as one: removing or replacing either frees
// both. A leftover temporary that is another name of a file in sight is
// left, with that file's name (Blocked under Overwrite), and a move within
// a volume onto another name of itself is SameItem. (FAT gives such a pair
// two file ids, so there only a disk check tells it.)
std::vector<ItemResult> PerformFileOperation(FileSystem& fileSystem, const FileOperation& operation);

}  // namespace savrin
