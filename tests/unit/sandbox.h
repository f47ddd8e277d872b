#pragma once
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace savrin {

// A folder to test in, on the fake or on the real disk, so that one suite
// checks the engine against both. The test reads and writes file contents
// around the seam, and looks at everything else through it.
class Sandbox {
 public:
  virtual ~Sandbox() = default;

  virtual const char* Name() const = 0;
  virtual FileSystem& Fs() = 0;
  // An empty folder that belongs to this test alone.
  virtual const std::u16string& Root() const = 0;
  // Creates or rewrites a file (not a hidden or read-only one: Windows will
  // not open those for a rewrite).
  virtual void Write(const std::u16string& path, const std::string& content) = 0;
  virtual std::optional<std::string> Read(const std::u16string& path) = 0;
  // Whether hidden and system are attributes of their own (not on POSIX,
  // where only a leading dot hides a name).
  virtual bool HasHiddenAttribute() const = 0;
  virtual bool CaseSensitive() const = 0;
  // Holds a file open as a program writing it would, sharing reading,
  // renaming and removal: only an exclusive open (or a copy that keeps
  // writers out) fails until the handle is released. Null where there are
  // no sharing modes.
  virtual std::shared_ptr<void> HoldOpen(const std::u16string& path) = 0;
  // As after the death of the process that used Fs(): what it held open is
  // let go of, and Fs() is a new one.
  virtual void EndProcess() {}

  std::u16string Path(std::u16string_view relative) const;
  void MakeFolder(std::u16string_view relative);
  void WriteAt(std::u16string_view relative, const std::string& content) { Write(Path(relative), content); }
  std::optional<std::string> ReadAt(std::u16string_view relative) { return Read(Path(relative)); }
  bool ExistsAt(std::u16string_view relative);
  bool IsFolderAt(std::u16string_view relative);
  // Names in a folder, sorted; empty when the folder is missing.
  std::vector<std::u16string> NamesAt(std::u16string_view relative);
  // Every file below a folder as (relative path, content), sorted.
  std::vector<std::pair<std::u16string, std::string>> FilesBelow(std::u16string_view relative);
  void SetAttributesAt(std::u16string_view relative, FileAttributes attributes);
  FileAttributes AttributesAt(std::u16string_view relative);
};

using SandboxFactory = std::unique_ptr<Sandbox> (*)();
std::unique_ptr<Sandbox> MakeFakeSandbox();
// A fresh folder in the system's temporary folder, removed again at the end.
std::unique_ptr<Sandbox> MakePlatformSandbox();

// For test names: "Fake", "Platform".
struct SandboxKind {
  const char* name;
  SandboxFactory make;
};
std::vector<SandboxKind> AllSandboxKinds();

}  // namespace savrin
