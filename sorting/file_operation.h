#pragma once
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/status.h"
#include "rules/sort_rule.h"

namespace savrin {

// One rule's work as the sorting pass hands it over.
struct FileOperation {
  SortMethod kind = SortMethod::Move;
  // Source folder + "\" + file condition: "C:\in\*.pdf" or "C:\in\report.doc".
  std::u16string source;
  // Destination folder + "\", followed by the condition when that is a plain
  // name ("D:\out\report.doc"); for a wildcard only the folder counts.
  std::u16string destination;
  // On a name clash: true gives the arriving item "name (N).ext", false
  // replaces the file there.
  bool renameOnCollision = true;
};

// What became of one item. Only Placed, Renamed and Replaced did what was
// asked; every other outcome leaves the source where it was, except
// SourceKept, which leaves it in both places.
enum class ItemOutcome {
  Placed,         // arrived under its own name
  Renamed,        // arrived as "name (N).ext"
  Replaced,       // took the place of a file of that name
  SameItem,       // source and destination are one and the same: nothing to do
  InUse,          // another process holds it (or a file in it) open; left for a later pass
  Blocked,        // a folder where a file would go or the other way round, a folder onto an
                  // existing folder under Overwrite, or a folder into itself
  NoFreeName,     // its own name and every "name (N)" up to kMaxNameAttempts were taken
  SourceChanged,  // written to while it was copied; the copy was dropped
  SourceKept,     // arrived, but (part of) the source could not be removed: see below
  Failed,         // the file system refused a step; `status` says which
};

struct ItemResult {
  std::u16string source;  // full path of the item taken
  std::u16string target;  // where it went, or would have gone
  ItemOutcome outcome = ItemOutcome::Failed;
  Status status;
};

// Candidates an arriving item may take under Rename: its own name, then
// "name (2)" up to "name (10000)". Past that the item stays where it was;
// an existing file is never replaced instead.
inline constexpr unsigned kMaxNameAttempts = 10000;

// Moves or copies what `operation.source` names into the destination, one
// item at a time; one item's failure does not stop the next. Nothing is
// shown to the user; the results are for tests and diagnosis.
//
// Which items: a condition with '*' or '?' takes every matching FILE of the
// source folder, but no folder and no hidden or system file (a desktop.ini or
// Thumbs.db stays put); a plain name takes the one entry of that name, file
// or folder, hidden or not, since the user named it.
//
// What is guaranteed, even if the process dies at any step: every file is
// where it was or complete where it went. Within a volume an item is
// renamed, one atomic step. Copies and moves between volumes go through a
// hidden temporary ("~savrin-<hex>.tmp") in the destination folder, which is
// flushed, checked against the source's size and renamed into place; a move
// removes its source only after that, and only if the source did not change
// meanwhile. If the source then cannot be removed, the copy is removed again
// so the move did not happen (SourceKept instead when the copy replaced a
// file under Overwrite: taking it back would leave the old one lost anyway).
//
// A folder moved between volumes is copied whole first; if its source then
// cannot be removed completely, the files and folders that were removed are
// all in the copy, and what remains in the source is what could not be
// removed (held open, changed since it was copied, or arrived meanwhile),
// together with the folders that hold it: SourceKept. If not even the first
// of them could be removed, the copy is removed instead.
std::vector<ItemResult> PerformFileOperation(FileSystem& fileSystem, const FileOperation& operation);

}  // namespace savrin
