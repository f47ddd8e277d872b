#pragma once
#include <filesystem>
#include <memory>

#include "tests/unit/sandbox.h"

namespace savrin {

// A sandbox in a fresh folder under the system's temporary folder, on the
// platform's own backend; the platform's test file adds what differs.
class RealSandbox : public Sandbox {
 public:
  RealSandbox();
  ~RealSandbox() override;

  const char* Name() const override { return "Platform"; }
  FileSystem& Fs() override { return *fs_; }
  void EndProcess() override { fs_ = MakePlatformFileSystem(); }
  const std::u16string& Root() const override { return root_; }
  void Write(const std::u16string& path, const std::string& content) override;
  std::optional<std::string> Read(const std::u16string& path) override;

  // The path as the standard library takes it ('\' a separator on POSIX too).
  static std::filesystem::path Native(const std::u16string& path);

 private:
  void Clear(const std::u16string& folder);

  std::unique_ptr<FileSystem> fs_;
  std::u16string root_;
};

}  // namespace savrin
