#pragma once
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/status.h"
#include "rules/sort_rule.h"

namespace savrin {

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
// What is guaranteed, if the process dies or the power goes at any moment:
// every file is where it was or complete where it went, and nothing in sight
// holds a torn file. Proven against a model of the disk (the power-cut test)
// that keeps only what was made durable, under three kinds of persistence:
// folder changes reaching the disk in order (NTFS, journalling file
// systems), in any order (no ordering guarantees), and not at all until
// written back (a share that cannot flush a folder).
//
// Within a volume an item is renamed, one atomic step, with no flush. Copies
// and moves between volumes go through a hidden temporary
// ("~savrin-<hex>.part", temporary_name.h) in the destination folder: the
// copy is written and flushed (one file flush each), checked against the
// source's size and renamed into place. A move then flushes the destination
// folder (one folder flush each) and removes its source only after that, and
// only if the source did not change meanwhile. A folder moved between
// volumes flushes each folder of its copy as well.
//
// On a volume that cannot flush a folder the name of the copy is not known
// to be durable, so the source stays (SourceKept); the next pass finds the
// copy in place (same size, time and bytes) and removes the source then
// (FoundInPlace), by when the file system has written the name back. The
// same finding finishes a move that a power cut interrupted after the copy
// was placed, so a file is never moved twice.
//
// If a source changed, or cannot be removed, the copy is removed again so the
// move did not happen, but only while the source is still there and only the
// very file this run made (by file id): a copy whose source has vanished
// (another engine on another computer moved it) stays, and so does one that
// replaced a file under Overwrite (taking it back would leave the old one
// lost anyway). Two engines on one folder may so leave a duplicate, never a
// loss.
//
// A folder is not moved between volumes onto one that cannot flush a
// folder: there no order of steps makes a tree of names durable before its
// source goes (Failed, Unsupported; it can still be copied there).
//
// A folder moved between volumes is copied whole first; if its source then
// cannot be removed completely, the files and folders that were removed are
// all in the copy, and what remains in the source is what could not be
// removed (held open, changed since it was copied, or arrived meanwhile),
// together with the folders that hold it: SourceKept. If not even the first
// of them could be removed, the copy is removed instead.
//
// The clean-up of temporaries left by a crash never follows a link and
// never touches one another run is still writing (see temporary_name.h).
std::vector<ItemResult> PerformFileOperation(FileSystem& fileSystem, const FileOperation& operation);

}  // namespace savrin
