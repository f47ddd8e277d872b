#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace savrin {

// What survives a power cut, as file systems promise it.
enum class Persistence {
  // A journalling file system (NTFS, ext4 with ordered data): the changes
  // to folders and to files' attributes and times reach the disk in the
  // order they were made, so a cut keeps a prefix of them, and any flush
  // commits all that came before it. A rename is one step.
  OrderedMetadata,
  // No journal (FAT on a USB stick, ext2, ext4 without a journal): any
  // subset of the changes no flush has covered survives. A folder flush
  // covers that folder's entries, a file flush that file's contents,
  // times and attributes (a folder's own by its folder flush). A rename
  // writes the new name before it clears the old one, so a cut can leave
  // the file under both names; the file system still counts one, and
  // removing either name frees what both lead to.
  Weak,
  // A share that cannot flush a folder: as Weak, but a folder flush makes
  // nothing durable and says so (the platform reports it as not supported).
  NoFolderFlush,
};
const char* PersistenceName(Persistence persistence);
inline void PrintTo(Persistence persistence, std::ostream* out) { *out << PersistenceName(persistence); }

// How a link shows. Windows' own links and junctions are listed as links
// and act on themselves; a Linux symlink under Wine is listed as what it
// leads to, and a removal or rename through it acts on that.
enum class LinkShows { AsLink, AsTarget };

// A disk as the power-cut model sees it: files and folders are numbered
// nodes, folders hold named entries that point at nodes. Copyable, so that
// each state a cut may leave is a value of its own.
struct DiskImage {
  struct Node {
    bool isFolder = false;
    uint64_t volume = 0;
    std::string content;
    FileAttributes attributes;
    int64_t modified = 0;
    int names = 1;  // the names the file system counts (hard links; not a cut rename's second name)
  };
  struct Entry {
    std::u16string name;  // as spelled when it was made
    uint64_t node = 0;
    bool isLink = false;  // leads to `node`, which has a name of its own elsewhere
    LinkShows shows = LinkShows::AsLink;
  };
  std::map<uint64_t, Node> nodes;
  std::map<uint64_t, std::map<std::u16string, Entry>> folders;  // by folded name
  std::map<std::u16string, uint64_t> roots;                      // by folded root text
  uint64_t nextNode = 1;
  int64_t clock = 1;
};

// An in-memory file system that records every change together with what
// makes it durable, and produces from the record the states the disk may
// come back in after a power cut that follows any number of the changes,
// under each persistence model. Contents written and not flushed may read
// back old, as zeros, cut short or whole. Time passing is a change of its
// own (WriteBack): the file system writes back everything it was given.
//
// Names compare without regard to case, a move between volumes is
// CrossDevice, a read-only file is neither replaced nor removed. Links,
// hard links and drive aliases behave as Wine shows them on Linux (or, for
// links that show as links, as Windows' own).
class PowerCutFileSystem final : public FileSystem {
 public:
  explicit PowerCutFileSystem(Persistence persistence, DiskImage image = {});

  // Test side: none of these is recorded; StartRecording makes all of it
  // the durable starting state.
  void AddVolume(const std::u16string& root);
  // A drive letter for a folder of another volume (subst, a mapped share).
  void AddAlias(const std::u16string& root, const std::u16string& folder);
  void MakeFolders(const std::u16string& path);
  void WriteFile(const std::u16string& path, const std::string& content, FileAttributes attributes = {});
  void MakeLink(const std::u16string& link, const std::u16string& target, LinkShows shows = LinkShows::AsLink);
  void MakeHardLink(const std::u16string& link, const std::u16string& existing);
  // Through links, as a user opening the path would read it; nothing for a
  // folder, a missing file or a link whose file is gone.
  std::optional<std::string> ReadFile(const std::u16string& path) const;
  std::optional<FileInfo> Look(const std::u16string& path) const;
  bool IsLinkEntry(const std::u16string& path) const;
  void StartRecording();

  // Time passing: everything done so far reaches the disk.
  void WriteBack();

  // Faults of the disk (this instance only, so not in the states a cut
  // leaves): the flush of any copy holding `content` fails, and the next
  // `count` flushes of `folder`.
  void FailFlushesOfCopiesOf(const std::string& content) { failingCopies_.push_back(content); }
  void FailFolderFlushes(const std::u16string& folder, int count);

  size_t ChangeCount() const { return log_.size(); }
  std::string DescribeChange(size_t index) const;
  const DiskImage& Live() const { return live_; }

  // The states the disk may come back in when the power goes after the
  // first `cut` recorded changes. All of them when there are at most
  // `limit`, otherwise `limit` drawn with `random` (the durable-only and
  // everything-written states always among them); `possible` tells how
  // many there are in all. Without `corners` the states drawn are all
  // random ones.
  std::vector<DiskImage> CrashStates(size_t cut, size_t limit, std::mt19937_64& random, double& possible,
                                     bool corners = true) const;

  Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) override;
  Status GetInfo(const std::u16string& path, FileInfo& info) override;
  Status ResolvedPath(const std::u16string& path, std::u16string& resolved) override;
  Status CreateFolder(const std::u16string& path) override;
  Status MoveNoReplace(const std::u16string& from, const std::u16string& to) override;
  Status MoveReplace(const std::u16string& from, const std::u16string& to) override;
  Status CopyToNewFile(const std::u16string& from, const std::u16string& to, const CopySettings& settings,
                       CopyReport* report) override;
  Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) override;
  Status CopyTimes(const std::u16string& from, const std::u16string& to) override;
  Status RemoveFile(const std::u16string& path) override;
  Status RemoveFileIfUnchanged(const std::u16string& path, const FileStamp& expected, bool& changed) override;
  Status RemoveEmptyFolder(const std::u16string& path) override;
  Status FlushFolder(const std::u16string& folder) override;
  // Each flush a change of its own, recorded when the batch is waited for
  // (nothing says one ended before), in the reverse of the order asked, as
  // flushes in flight together end in any order.
  void StartFlushingCopies(const std::vector<std::u16string>& paths) override;
  void FinishFlushingCopies(std::vector<Status>& results) override;
  Status TryOpenExclusive(const std::u16string& path) override;
  Status CompareContent(const std::u16string& a, const std::u16string& b, bool& same) override;

 private:
  struct Change {
    enum Kind { AddEntry, RemoveEntry, Rename, SetAttributes, SetTimes, WriteContent, FlushFile, FlushFolder, WriteBack };
    explicit Change(Kind what) : kind(what) {}
    Kind kind;
    uint64_t folder = 0;       // where the entry is (or, for a rename, was); the folder flushed
    uint64_t toFolder = 0;     // a rename's new folder
    std::u16string name;       // the entry's name (a rename's old name)
    std::u16string toName;     // a rename's new name
    uint64_t node = 0;
    DiskImage::Node made;      // AddEntry: the node as created; WriteContent: its content; SetTimes: its time
    FileAttributes attributes;
  };
  // Where a path leads: the entry's folder and the entry, and the node it
  // names (through a link, the node the link leads to; 0 when nothing).
  struct Place {
    uint64_t volume = 0;
    uint64_t parent = 0;  // 0 when the path is a root or its folder is missing
    std::u16string name;
    const DiskImage::Entry* entry = nullptr;
    uint64_t node = 0;
  };

  Place Find(const DiskImage& image, const std::u16string& path) const;
  Place Find(const std::u16string& path) const { return Find(live_, path); }
  // What a removal or rename through `place` acts on: the entry itself, or
  // for a link shown as its target, the target's own name.
  Place Acted(const Place& place) const;
  std::u16string CanonicalPath(uint64_t node) const;
  Status Record(Change change);
  Status RecordRemoval(const Place& place);
  static void Apply(DiskImage& image, const Change& change, bool clearsOldName = true);
  FileInfo InfoOf(const Place& place, const std::u16string& name) const;
  Status Rename(const std::u16string& from, const std::u16string& to, bool replace);
  void RecordSetTimes(uint64_t node, int64_t modified);

  const Persistence persistence_;
  DiskImage base_;  // what was durable when recording started
  DiskImage live_;  // what the running program sees
  std::vector<Change> log_;
  std::vector<std::string> failingCopies_;
  std::map<uint64_t, int> failingFolders_;  // folder node, flushes left to fail
};

}  // namespace savrin
