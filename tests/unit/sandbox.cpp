#include "tests/unit/sandbox.h"

#include <algorithm>
#include <stdexcept>

#include "platform/path_text.h"
#include "tests/unit/fake_file_system.h"

namespace savrin {

std::u16string Sandbox::Path(std::u16string_view relative) const {
  if (relative.empty()) return Root();
  return JoinPath(Root(), relative);
}

void Sandbox::MakeFolder(std::u16string_view relative) {
  const Status status = Fs().CreateFolder(Path(relative));
  if (!status.IsOk() && status.Code != StatusCode::Exists) throw std::runtime_error("cannot make a test folder");
}

bool Sandbox::ExistsAt(std::u16string_view relative) {
  FileInfo info;
  return Fs().GetInfo(Path(relative), info).IsOk();
}

bool Sandbox::IsFolderAt(std::u16string_view relative) {
  FileInfo info;
  return Fs().GetInfo(Path(relative), info).IsOk() && info.IsFolder;
}

std::vector<std::u16string> Sandbox::NamesAt(std::u16string_view relative) {
  std::vector<FileInfo> entries;
  Fs().ListFolder(Path(relative), entries);
  std::vector<std::u16string> names;
  for (const FileInfo& entry : entries) names.push_back(entry.Name);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::pair<std::u16string, std::string>> Sandbox::FilesBelow(std::u16string_view relative) {
  const std::u16string top(relative);
  auto below = [&top](const std::u16string& inside) { return inside.empty() ? top : top + u"\\" + inside; };
  std::vector<std::pair<std::u16string, std::string>> files;
  std::vector<std::u16string> folders{u""};
  for (size_t next = 0; next < folders.size(); ++next) {
    const std::u16string folder = folders[next];
    std::vector<FileInfo> entries;
    Fs().ListFolder(Path(below(folder)), entries);
    for (const FileInfo& entry : entries) {
      const std::u16string inside = folder.empty() ? entry.Name : folder + u"\\" + entry.Name;
      if (entry.IsFolder) {
        folders.push_back(inside);
      } else {
        files.emplace_back(inside, ReadAt(below(inside)).value_or("<unreadable>"));
      }
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

void Sandbox::SetAttributesAt(std::u16string_view relative, FileAttributes attributes) {
  if (!Fs().SetAttributes(Path(relative), attributes).IsOk()) throw std::runtime_error("cannot set attributes");
}

FileAttributes Sandbox::AttributesAt(std::u16string_view relative) {
  FileInfo info;
  Fs().GetInfo(Path(relative), info);
  return info.Attributes;
}

namespace {

class FakeSandbox final : public Sandbox {
 public:
  FakeSandbox() { fake_.MakeFolders(root_); }
  const char* Name() const override { return "Fake"; }
  FileSystem& Fs() override { return fake_; }
  const std::u16string& Root() const override { return root_; }
  void Write(const std::u16string& path, const std::string& content) override { fake_.WriteFile(path, content); }
  std::optional<std::string> Read(const std::u16string& path) override { return fake_.ReadFile(path); }
  bool HasHiddenAttribute() const override { return true; }
  bool CaseSensitive() const override { return false; }
  std::shared_ptr<void> HoldOpen(const std::u16string& path) override {
    if (!fake_.Hold(path)) return nullptr;
    FakeFileSystem* fake = &fake_;
    return std::shared_ptr<void>(new int(0), [fake, path](void* token) {
      delete static_cast<int*>(token);
      fake->Hold(path, false);
    });
  }

 private:
  FakeFileSystem fake_;
  std::u16string root_ = u"C:\\sandbox";
};

}  // namespace

std::unique_ptr<Sandbox> MakeFakeSandbox() { return std::make_unique<FakeSandbox>(); }

std::vector<SandboxKind> AllSandboxKinds() { return {{"Fake", &MakeFakeSandbox}, {"Platform", &MakePlatformSandbox}}; }

}  // namespace savrin
