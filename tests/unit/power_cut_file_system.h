#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_system.h"

namespace savrin {

// What survives a power cut, as file systems promise it.
enum class Persistence {
  // A journalling file system (NTFS, ext4 with ordered data): the changes
  // to folders reach the disk in the order they were made, so a cut keeps
  // a prefix of them, and a folder flush commits all that came before it.
  OrderedMetadata,
  // No ordering (ext2, ext4 without a journal, XFS under some loads): any
  // subset of the folder changes a flush has not yet covered survives; a
  // folder flush makes that folder's changes durable.
  Weak,
  // A share that cannot flush a folder: as Weak, but a folder flush makes
  // nothing durable and says so (the platform reports it as not supported).
  NoFolderFlush,
};
const char* PersistenceName(Persistence persistence);

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
  };
  struct Entry {
    std::u16string name;  // as spelled when it was made
    uint64_t node = 0;
    bool isLink = false;  // a folder link: resolves to `node`, which lives elsewhere
  };
  std::map<uint64_t, Node> nodes;
  std::map<uint64_t, std::map<std::u16string, Entry>> folders;  // by folded name
  std::map<std::u16string, uint64_t> roots;                      // by folded root text
  uint64_t nextNode = 1;
  int64_t clock = 1;
};

// An in-memory file system that records every change together with what
// makes it durable: a file's contents by a flush of that file (the copy
// flushes what it wrote), a folder's entries (made, renamed in or out,
// removed, attributes changed) by a flush of that folder. From the record
// it produces the states the disk may come back in after a power cut that
// follows any number of the changes, under each persistence model.
//
// Names compare without regard to case, a move between volumes is
// CrossDevice, a read-only file is neither replaced nor removed; a folder
// link is listed as a link and followed by every other call, as a Linux
// symlink is under Wine.
class PowerCutFileSystem final : public FileSystem {
 public:
  explicit PowerCutFileSystem(Persistence persistence, DiskImage image = {});

  // Test side: none of these is recorded; StartRecording makes all of it
  // the durable starting state.
  void AddVolume(const std::u16string& root);
  void MakeFolders(const std::u16string& path);
  void WriteFile(const std::u16string& path, const std::string& content, FileAttributes attributes = {});
  void MakeFolderLink(const std::u16string& link, const std::u16string& target);
  std::optional<std::string> ReadFile(const std::u16string& path) const;
  void StartRecording();

  size_t ChangeCount() const { return log_.size(); }
  std::string DescribeChange(size_t index) const;
  const DiskImage& Live() const { return live_; }

  // The states the disk may come back in when the power goes after the
  // first `cut` recorded changes. All of them when there are at most
  // `limit`, otherwise `limit` drawn with `random` (the durable-only and
  // everything-written states always among them); `possible` tells how
  // many there are in all.
  std::vector<DiskImage> CrashStates(size_t cut, size_t limit, std::mt19937_64& random, double& possible) const;

  Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) override;
  Status GetInfo(const std::u16string& path, FileInfo& info) override;
  Status CreateFolder(const std::u16string& path) override;
  Status MoveNoReplace(const std::u16string& from, const std::u16string& to) override;
  Status MoveReplace(const std::u16string& from, const std::u16string& to) override;
  Status CopyToNewFile(const std::u16string& from, const std::u16string& to, const FileAttributes& createWith,
                       CopyReport* report) override;
  Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) override;
  Status RemoveFile(const std::u16string& path) override;
  Status RemoveEmptyFolder(const std::u16string& path) override;
  Status FlushFolder(const std::u16string& folder) override;
  Status TryOpenExclusive(const std::u16string& path) override;
  Status CompareContent(const std::u16string& a, const std::u16string& b, bool& same) override;

 private:
  struct Change {
    enum Kind { AddEntry, RemoveEntry, Rename, SetAttributes, WriteContent, FlushFile, FlushFolder };
    explicit Change(Kind what) : kind(what) {}
    Kind kind;
    uint64_t folder = 0;       // where the entry is (or, for a rename, was)
    uint64_t toFolder = 0;     // a rename's new folder
    std::u16string name;       // the entry's name (a rename's old name)
    std::u16string toName;     // a rename's new name
    uint64_t node = 0;
    DiskImage::Node made;      // AddEntry: the node as created; WriteContent: its new content and time
    FileAttributes attributes;
  };
  struct Place {
    uint64_t volume = 0;
    uint64_t parent = 0;  // 0 when the path is a root or its folder is missing
    std::u16string name;
    const DiskImage::Entry* entry = nullptr;
    uint64_t node = 0;  // 0 when nothing has that name
  };

  Place Find(const DiskImage& image, const std::u16string& path) const;
  Place Find(const std::u16string& path) const { return Find(live_, path); }
  Status Record(Change change);
  static void Apply(DiskImage& image, const Change& change);
  FileInfo InfoOf(const Place& place, const std::u16string& name, bool isLink) const;
  Status Rename(const std::u16string& from, const std::u16string& to, bool replace);

  const Persistence persistence_;
  DiskImage base_;  // what was durable when recording started
  DiskImage live_;  // what the running program sees
  std::vector<Change> log_;
};

}  // namespace savrin
