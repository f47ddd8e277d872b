#include "tests/unit/fake_file_system.h"

#include <algorithm>
#include <stdexcept>

#include "platform/path_text.h"
#include "platform/case_fold.h"
#include "tests/unit/fake_paths.h"

namespace savrin {

struct FakeFileSystem::Node {
  std::u16string name;
  bool isFolder = false;
  FileAttributes attributes;
  std::string content;
  int64_t modified = 0;
  uint64_t id = 0;
  uint64_t volumeId = 0;
  bool held = false;
  Node* parent = nullptr;
  std::map<std::u16string, std::unique_ptr<Node>> children;  // by folded name
};

// Where a path leads: the folder that holds (or would hold) its last
// component, and the node itself when it exists.
struct FakeFileSystem::Place {
  Node* volume = nullptr;
  Node* parent = nullptr;
  Node* node = nullptr;
  std::u16string name;
  bool parentMissing = false;
};

namespace {

Status Error(StatusCode code) { return Status::Error(code); }

}  // namespace

bool FakeFileSystem::HoldsHeld(const Node& node) {
  if (node.held) return true;
  for (const auto& child : node.children) {
    if (HoldsHeld(*child.second)) return true;
  }
  return false;
}

FakeFileSystem::FakeFileSystem() { AddVolume(u"C:\\"); }
FakeFileSystem::~FakeFileSystem() = default;

void FakeFileSystem::AddVolume(const std::u16string& root) {
  auto node = std::make_unique<Node>();
  node->isFolder = true;
  node->name = root;
  node->id = nextId_++;
  node->volumeId = volumes_.size() + 1;
  volumes_[FakeVolumeKey(root)] = std::move(node);
}

FakeFileSystem::Place FakeFileSystem::Find(const std::u16string& path) const {
  Place place;
  const size_t rootLength = RootLength(path);
  if (rootLength == 0) return place;
  const auto volume = volumes_.find(FakeVolumeKey(std::u16string_view(path).substr(0, rootLength)));
  if (volume == volumes_.end()) return place;
  place.volume = volume->second.get();
  const std::vector<std::u16string> parts = FakePathComponents(path, rootLength);
  if (parts.empty()) {
    place.node = place.volume;
    return place;
  }
  Node* folder = place.volume;
  for (size_t k = 0; k + 1 < parts.size(); ++k) {
    const auto child = folder->children.find(FoldCase(parts[k]));
    if (child == folder->children.end() || !child->second->isFolder) {
      place.parentMissing = true;
      return place;
    }
    folder = child->second.get();
  }
  place.parent = folder;
  place.name = parts.back();
  const auto found = folder->children.find(FoldCase(place.name));
  if (found != folder->children.end()) place.node = found->second.get();
  return place;
}

FileInfo FakeFileSystem::InfoOf(const Place& place) const {
  FileInfo info;
  const Node& node = *place.node;
  info.Name = node.name;
  info.IsFolder = node.isFolder;
  info.Attributes = node.attributes;
  info.Size = node.isFolder ? 0 : node.content.size();
  info.Modified = node.modified;
  info.VolumeId = place.volume->volumeId;
  info.FileId = node.id;
  return info;
}

void FakeFileSystem::MakeFolders(const std::u16string& path) {
  const size_t rootLength = RootLength(path);
  std::u16string prefix = path.substr(0, rootLength);
  for (const std::u16string& part : FakePathComponents(path, rootLength)) {
    prefix = JoinPath(prefix, part);
    const Status status = CreateFolder(prefix);
    if (!status.IsOk() && status.Code != StatusCode::Exists) throw std::runtime_error("fake: cannot make folders");
  }
}

void FakeFileSystem::WriteFile(const std::u16string& path, const std::string& content,
                               std::optional<FileAttributes> attributes) {
  Place place = Find(path);
  if (place.parent == nullptr) throw std::runtime_error("fake: no folder for the file");
  if (place.node == nullptr) {
    auto node = std::make_unique<Node>();
    node->name = place.name;
    node->id = nextId_++;
    node->parent = place.parent;
    place.node = node.get();
    place.parent->children[FoldCase(place.name)] = std::move(node);
  }
  if (place.node->isFolder) throw std::runtime_error("fake: a folder has that name");
  place.node->content = content;
  if (attributes) place.node->attributes = *attributes;
  place.node->modified = ++clock_;
}

std::optional<std::string> FakeFileSystem::ReadFile(const std::u16string& path) const {
  const Place place = Find(path);
  if (place.node == nullptr || place.node->isFolder) return std::nullopt;
  return place.node->content;
}

bool FakeFileSystem::Exists(const std::u16string& path) const { return Find(path).node != nullptr; }

std::vector<std::u16string> FakeFileSystem::Names(const std::u16string& folder) const {
  std::vector<std::u16string> names;
  const Place place = Find(folder);
  if (place.node == nullptr) return names;
  for (const auto& child : place.node->children) names.push_back(child.second->name);
  std::sort(names.begin(), names.end());
  return names;
}

bool FakeFileSystem::Hold(const std::u16string& path, bool held) {
  const Place place = Find(path);
  if (place.node == nullptr) return false;
  place.node->held = held;
  return true;
}

Status FakeFileSystem::ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) {
  entries.clear();
  const Place place = Find(folder);
  if (place.node == nullptr || !place.node->isFolder) return Error(StatusCode::NotFound);
  for (const auto& child : place.node->children) {
    Place entry = place;
    entry.node = child.second.get();
    entries.push_back(InfoOf(entry));
  }
  return Status::Ok();
}

Status FakeFileSystem::GetInfo(const std::u16string& path, FileInfo& info) {
  const Place place = Find(path);
  if (place.node == nullptr) return Error(StatusCode::NotFound);
  info = InfoOf(place);
  info.Name = SplitAtLastSeparator(TrimTrailingSeparators(path)).Name;
  return Status::Ok();
}

Status FakeFileSystem::CreateFolder(const std::u16string& path) {
  const Place place = Find(path);
  if (place.node != nullptr) return Error(StatusCode::Exists);
  if (place.parent == nullptr) return Error(StatusCode::NotFound);
  auto node = std::make_unique<Node>();
  node->name = place.name;
  node->isFolder = true;
  node->id = nextId_++;
  node->modified = ++clock_;
  node->parent = place.parent;
  place.parent->children[FoldCase(place.name)] = std::move(node);
  return Status::Ok();
}

Status FakeFileSystem::Rename(const std::u16string& from, const std::u16string& to, bool replace) {
  const Place source = Find(from);
  if (source.node == nullptr || source.parent == nullptr) return Error(StatusCode::NotFound);
  const Place target = Find(to);
  if (target.parent == nullptr) return Error(source.volume == target.volume ? StatusCode::NotFound : StatusCode::CrossDevice);
  if (source.volume != target.volume) return Error(StatusCode::CrossDevice);
  // Windows will not rename a folder while a file in it is open.
  if (source.node->isFolder && HoldsHeld(*source.node)) return Error(StatusCode::AccessDenied);
  for (const Node* up = target.parent; up != nullptr; up = up->parent) {
    if (up == source.node) return Error(StatusCode::InvalidName);
  }
  if (target.node != nullptr && target.node != source.node) {
    if (!replace) return Error(StatusCode::Exists);
    if (target.node->isFolder || source.node->isFolder || target.node->attributes.ReadOnly) {
      return Error(StatusCode::AccessDenied);
    }
    target.parent->children.erase(FoldCase(target.name));
  }
  std::unique_ptr<Node> node = std::move(source.parent->children[FoldCase(source.name)]);
  source.parent->children.erase(FoldCase(source.name));
  node->name = target.name;
  node->parent = target.parent;
  target.parent->children[FoldCase(target.name)] = std::move(node);
  return Status::Ok();
}

Status FakeFileSystem::MoveNoReplace(const std::u16string& from, const std::u16string& to) {
  return Rename(from, to, false);
}

Status FakeFileSystem::MoveReplace(const std::u16string& from, const std::u16string& to) {
  return Rename(from, to, true);
}

Status FakeFileSystem::CopyToNewFile(const std::u16string& from, const std::u16string& to,
                                     const CopySettings& settings, CopyReport* report) {
  const Place source = Find(from);
  if (source.node == nullptr) return Error(StatusCode::NotFound);
  if (source.node->isFolder) return Error(StatusCode::AccessDenied);
  if (source.node->held) return Error(StatusCode::SharingViolation);
  const Place target = Find(to);
  if (target.node != nullptr) return Error(StatusCode::Exists);
  if (target.parent == nullptr) return Error(StatusCode::NotFound);
  auto node = std::make_unique<Node>();
  node->name = target.name;
  node->content = source.node->content;
  node->modified = source.node->modified;
  node->attributes = settings.Attributes;
  node->id = nextId_++;
  node->parent = target.parent;
  if (report != nullptr) report->CopyId = node->id;
  target.parent->children[FoldCase(target.name)] = std::move(node);
  return Status::Ok();
}

Status FakeFileSystem::SetAttributes(const std::u16string& path, const FileAttributes& attributes) {
  const Place place = Find(path);
  if (place.node == nullptr) return Error(StatusCode::NotFound);
  place.node->attributes = attributes;
  return Status::Ok();
}

Status FakeFileSystem::RemoveFile(const std::u16string& path) {
  const Place place = Find(path);
  if (place.node == nullptr || place.parent == nullptr) return Error(StatusCode::NotFound);
  if (place.node->isFolder || place.node->attributes.ReadOnly) return Error(StatusCode::AccessDenied);
  place.parent->children.erase(FoldCase(place.name));
  return Status::Ok();
}

Status FakeFileSystem::RemoveEmptyFolder(const std::u16string& path) {
  const Place place = Find(path);
  if (place.node == nullptr || !place.node->isFolder) return Error(StatusCode::NotFound);
  if (place.parent == nullptr) return Error(StatusCode::AccessDenied);
  if (!place.node->children.empty()) return Error(StatusCode::NotEmpty);
  place.parent->children.erase(FoldCase(place.name));
  return Status::Ok();
}

Status FakeFileSystem::FlushFolder(const std::u16string& folder) {
  const Place place = Find(folder);
  if (place.node == nullptr || !place.node->isFolder) return Error(StatusCode::NotFound);
  return Status::Ok();
}

Status FakeFileSystem::CompareContent(const std::u16string& a, const std::u16string& b, bool& same) {
  return CompareStoredContents(ReadFile(a), ReadFile(b), same);
}

Status FakeFileSystem::TryOpenExclusive(const std::u16string& path) {
  const Place place = Find(path);
  if (place.node == nullptr) return Error(StatusCode::NotFound);
  if (place.node->held) return Error(StatusCode::SharingViolation);
  return Status::Ok();
}

}  // namespace savrin
