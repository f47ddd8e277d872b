#pragma once
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace savrin {

// An in-memory file system that answers as Windows does: names compare
// without regard to case, a move between volumes (roots "C:\", "D:\",
// "\\server\share\") is CrossDevice, and read-only files refuse to be
// replaced or removed. A file held open (Hold) is held as a program writing
// it would with FILE_SHARE_READ | FILE_SHARE_DELETE: an exclusive open and a
// copy that denies writers fail, while a rename or removal would go through,
// and a folder holding it cannot be renamed.
class FakeFileSystem final : public FileSystem {
 public:
  FakeFileSystem();  // with volume "C:\"
  ~FakeFileSystem() override;

  void AddVolume(const std::u16string& root);

  // Test side, around the seam. Parent folders must exist.
  void MakeFolders(const std::u16string& path);
  // Creates or rewrites a file; every write moves its modification time on.
  // A rewritten file keeps its attributes unless new ones are given.
  void WriteFile(const std::u16string& path, const std::string& content,
                 std::optional<FileAttributes> attributes = std::nullopt);
  std::optional<std::string> ReadFile(const std::u16string& path) const;
  bool Exists(const std::u16string& path) const;
  // Names in a folder, sorted, as stored.
  std::vector<std::u16string> Names(const std::u16string& folder) const;
  // As if another process had the file open without sharing; false when
  // there is nothing at that path (any more).
  bool Hold(const std::u16string& path, bool held = true);

  Status ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) override;
  Status GetInfo(const std::u16string& path, FileInfo& info) override;
  Status CreateFolder(const std::u16string& path) override;
  Status MoveNoReplace(const std::u16string& from, const std::u16string& to) override;
  Status MoveReplace(const std::u16string& from, const std::u16string& to) override;
  Status CopyToNewFile(const std::u16string& from, const std::u16string& to, const CopySettings& settings,
                       CopyReport* report) override;
  Status SetAttributes(const std::u16string& path, const FileAttributes& attributes) override;
  Status RemoveFile(const std::u16string& path) override;
  Status RemoveEmptyFolder(const std::u16string& path) override;
  Status FlushFolder(const std::u16string& folder) override;
  Status TryOpenExclusive(const std::u16string& path) override;
  Status CompareContent(const std::u16string& a, const std::u16string& b, bool& same) override;

 private:
  struct Node;
  struct Place;
  Place Find(const std::u16string& path) const;
  Status Rename(const std::u16string& from, const std::u16string& to, bool replace);
  FileInfo InfoOf(const Place& place) const;
  static bool HoldsHeld(const Node& node);

  std::map<std::u16string, std::unique_ptr<Node>> volumes_;  // by folded root
  int64_t clock_ = 1;
  uint64_t nextId_ = 1;
};

}  // namespace savrin
