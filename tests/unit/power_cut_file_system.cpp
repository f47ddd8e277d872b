#include "tests/unit/power_cut_file_system.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

#include "platform/case_fold.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "tests/unit/fake_paths.h"

namespace savrin {

const char* PersistenceName(Persistence persistence) {
  switch (persistence) {
    case Persistence::OrderedMetadata: return "OrderedMetadata";
    case Persistence::Weak: return "Weak";
    case Persistence::NoFolderFlush: return "NoFolderFlush";
  }
  return "?";
}

namespace {

Status Error(StatusCode code) { return Status::Error(code); }

bool IsMetadata(int kind) { return kind <= 3; }  // AddEntry, RemoveEntry, Rename, SetAttributes

}  // namespace

PowerCutFileSystem::PowerCutFileSystem(Persistence persistence, DiskImage image)
    : persistence_(persistence), base_(image), live_(std::move(image)) {
  if (live_.roots.empty()) AddVolume(u"C:\\");
}

void PowerCutFileSystem::AddVolume(const std::u16string& root) {
  const uint64_t node = live_.nextNode++;
  DiskImage::Node folder;
  folder.isFolder = true;
  folder.volume = node;
  live_.nodes[node] = folder;
  live_.folders[node];
  live_.roots[FakeVolumeKey(root)] = node;
  base_ = live_;
}

PowerCutFileSystem::Place PowerCutFileSystem::Find(const DiskImage& image, const std::u16string& path) const {
  Place place;
  const size_t rootLength = RootLength(path);
  if (rootLength == 0) return place;
  const auto root = image.roots.find(FakeVolumeKey(std::u16string_view(path).substr(0, rootLength)));
  if (root == image.roots.end()) return place;
  place.volume = root->second;
  const std::vector<std::u16string> parts = FakePathComponents(path, rootLength);
  if (parts.empty()) {
    place.node = root->second;
    return place;
  }
  uint64_t folder = root->second;
  for (size_t k = 0; k + 1 < parts.size(); ++k) {
    const auto& entries = image.folders.at(folder);
    const auto child = entries.find(FoldCase(parts[k]));
    if (child == entries.end() || !image.nodes.at(child->second.node).isFolder) return place;
    folder = child->second.node;
  }
  place.parent = folder;
  place.name = parts.back();
  const auto& entries = image.folders.at(folder);
  const auto found = entries.find(FoldCase(place.name));
  if (found != entries.end()) {
    place.entry = &found->second;
    place.node = found->second.node;
  }
  return place;
}

void PowerCutFileSystem::MakeFolders(const std::u16string& path) {
  const size_t rootLength = RootLength(path);
  std::u16string prefix = path.substr(0, rootLength);
  for (const std::u16string& part : FakePathComponents(path, rootLength)) {
    prefix = JoinPath(prefix, part);
    const Status status = CreateFolder(prefix);
    if (!status.IsOk() && status.Code != StatusCode::Exists) throw std::runtime_error("model: cannot make folders");
  }
  base_ = live_;
  log_.clear();
}

void PowerCutFileSystem::WriteFile(const std::u16string& path, const std::string& content,
                                   FileAttributes attributes) {
  const Place place = Find(path);
  if (place.parent == 0 || place.node != 0) throw std::runtime_error("model: cannot write the file");
  const uint64_t node = live_.nextNode++;
  DiskImage::Node file;
  file.volume = place.volume;
  file.content = content;
  file.attributes = attributes;
  file.modified = ++live_.clock;
  live_.nodes[node] = file;
  live_.folders[place.parent][FoldCase(place.name)] = {place.name, node, false};
  base_ = live_;
}

void PowerCutFileSystem::MakeFolderLink(const std::u16string& link, const std::u16string& target) {
  const Place place = Find(link);
  const Place to = Find(target);
  if (place.parent == 0 || place.node != 0 || to.node == 0) throw std::runtime_error("model: cannot make the link");
  live_.folders[place.parent][FoldCase(place.name)] = {place.name, to.node, true};
  base_ = live_;
}

std::optional<std::string> PowerCutFileSystem::ReadFile(const std::u16string& path) const {
  const Place place = Find(path);
  if (place.node == 0 || live_.nodes.at(place.node).isFolder) return std::nullopt;
  return live_.nodes.at(place.node).content;
}

void PowerCutFileSystem::StartRecording() {
  base_ = live_;
  log_.clear();
}

std::string PowerCutFileSystem::DescribeChange(size_t index) const {
  static const char* const kNames[] = {"add",          "remove", "rename", "set attributes", "write content",
                                       "flush file", "flush folder"};
  const Change& change = log_.at(index);
  std::string text = kNames[change.kind];
  if (!change.name.empty()) text += " " + EncodeUtf8(change.name);
  if (!change.toName.empty()) text += " -> " + EncodeUtf8(change.toName);
  return text;
}

void PowerCutFileSystem::Apply(DiskImage& image, const Change& change) {
  switch (change.kind) {
    case Change::AddEntry:
      image.nodes.emplace(change.node, change.made);
      if (change.made.isFolder) image.folders[change.node];
      image.folders[change.folder][FoldCase(change.name)] = {change.name, change.node, false};
      break;
    case Change::RemoveEntry:
      image.folders[change.folder].erase(FoldCase(change.name));
      break;
    case Change::Rename: {
      auto& from = image.folders[change.folder];
      const auto old = from.find(FoldCase(change.name));
      if (old != from.end() && old->second.node == change.node) from.erase(old);
      image.folders[change.toFolder][FoldCase(change.toName)] = {change.toName, change.node, false};
      break;
    }
    case Change::SetAttributes: {
      const auto node = image.nodes.find(change.node);
      if (node != image.nodes.end()) node->second.attributes = change.attributes;
      break;
    }
    case Change::WriteContent: {
      const auto node = image.nodes.find(change.node);
      if (node != image.nodes.end()) {
        node->second.content = change.made.content;
        node->second.modified = change.made.modified;
      }
      break;
    }
    case Change::FlushFile:
    case Change::FlushFolder:
      break;
  }
}

Status PowerCutFileSystem::Record(Change change) {
  Apply(live_, change);
  log_.push_back(std::move(change));
  return Status::Ok();
}

std::vector<DiskImage> PowerCutFileSystem::CrashStates(size_t cut, size_t limit, std::mt19937_64& random,
                                                       double& possible) const {
  // Which folder changes a flush made durable, and the choice the cut leaves for the rest.
  std::vector<size_t> metadata;
  std::vector<bool> durable;
  for (size_t i = 0; i < cut; ++i) {
    if (!IsMetadata(log_[i].kind)) continue;
    bool flushed = false;
    for (size_t j = i + 1; j < cut && !flushed; ++j) {
      if (log_[j].kind != Change::FlushFolder || persistence_ == Persistence::NoFolderFlush) continue;
      flushed = persistence_ == Persistence::OrderedMetadata || log_[j].folder == log_[i].folder ||
                (log_[i].kind == Change::Rename && log_[j].folder == log_[i].toFolder);
    }
    metadata.push_back(i);
    durable.push_back(flushed);
  }
  std::vector<size_t> open;  // indices into `metadata` a cut may keep or lose
  size_t durablePrefix = 0;
  for (size_t k = 0; k < metadata.size(); ++k) {
    if (durable[k]) {
      durablePrefix = k + 1;
    } else {
      open.push_back(k);
    }
  }
  // Contents written and not flushed since, per node: they may read back old,
  // as zeros, cut short, or whole.
  std::vector<size_t> unflushedWrites;
  for (size_t i = 0; i < cut; ++i) {
    if (log_[i].kind != Change::WriteContent) continue;
    bool flushed = false;
    for (size_t j = i + 1; j < cut && !flushed; ++j) {
      flushed = log_[j].kind == Change::FlushFile && log_[j].node == log_[i].node;
    }
    if (!flushed) unflushedWrites.push_back(i);
  }
  constexpr int kContentForms = 4;

  const bool ordered = persistence_ == Persistence::OrderedMetadata;
  const double metadataChoices =
      ordered ? static_cast<double>(metadata.size() - durablePrefix + 1) : std::pow(2.0, open.size());
  possible = metadataChoices * std::pow(static_cast<double>(kContentForms), unflushedWrites.size());

  // One state: `keep` says which metadata changes survive, `forms` how each unflushed write reads.
  auto build = [&](const std::vector<bool>& keep, const std::vector<int>& forms) {
    DiskImage image = base_;
    // Numbers handed out before the cut stay taken, whether or not their nodes survived.
    image.nextNode = live_.nextNode;
    image.clock = live_.clock;
    std::map<size_t, int> formOf;
    for (size_t w = 0; w < unflushedWrites.size(); ++w) formOf[unflushedWrites[w]] = forms[w];
    size_t m = 0;
    for (size_t i = 0; i < cut; ++i) {
      const Change& change = log_[i];
      if (IsMetadata(change.kind)) {
        if (keep[m++]) {
          Apply(image, change);
        } else if (change.kind == Change::AddEntry) {
          // The node is written all the same; only no folder names it.
          image.nodes.emplace(change.node, change.made);
          if (change.made.isFolder) image.folders[change.node];
        }
        continue;
      }
      if (change.kind != Change::WriteContent) continue;
      const auto form = formOf.find(i);
      if (form == formOf.end() || form->second == 3) {
        Apply(image, change);
        continue;
      }
      const auto node = image.nodes.find(change.node);
      if (node == image.nodes.end() || form->second == 0) continue;  // the old contents
      node->second.content = form->second == 1 ? std::string(change.made.content.size(), '\0')
                                               : change.made.content.substr(0, change.made.content.size() / 2);
    }
    return image;
  };
  auto keepFor = [&](uint64_t choice) {
    std::vector<bool> keep(metadata.size(), false);
    if (ordered) {
      for (size_t k = 0; k < durablePrefix + choice; ++k) keep[k] = true;
    } else {
      for (size_t k = 0; k < metadata.size(); ++k) keep[k] = durable[k];
      for (size_t o = 0; o < open.size(); ++o) keep[open[o]] = ((choice >> o) & 1) != 0;
    }
    return keep;
  };
  auto formsFor = [&](uint64_t choice) {
    std::vector<int> forms(unflushedWrites.size());
    for (int& form : forms) {
      form = static_cast<int>(choice % kContentForms);
      choice /= kContentForms;
    }
    return forms;
  };

  std::vector<DiskImage> states;
  const uint64_t metadataCount = static_cast<uint64_t>(metadataChoices);
  const uint64_t formCount = static_cast<uint64_t>(possible / metadataChoices);
  if (possible <= static_cast<double>(limit)) {
    for (uint64_t m = 0; m < metadataCount; ++m) {
      for (uint64_t f = 0; f < formCount; ++f) states.push_back(build(keepFor(m), formsFor(f)));
    }
    return states;
  }
  const uint64_t everything = ordered ? metadataCount - 1 : (uint64_t{1} << open.size()) - 1;
  states.push_back(build(keepFor(0), formsFor(0)));
  states.push_back(build(keepFor(everything), formsFor(formCount - 1)));
  std::set<std::pair<uint64_t, uint64_t>> drawn{{0, 0}, {everything, formCount - 1}};
  while (states.size() < limit) {
    const uint64_t m = ordered ? random() % metadataCount : (open.size() >= 64 ? random() : random() % (everything + 1));
    const uint64_t f = random() % formCount;
    if (!drawn.insert({m, f}).second) continue;
    states.push_back(build(keepFor(m), formsFor(f)));
  }
  return states;
}

FileInfo PowerCutFileSystem::InfoOf(const Place& place, const std::u16string& name, bool isLink) const {
  const DiskImage::Node& node = live_.nodes.at(place.node);
  FileInfo info;
  info.Name = name;
  info.IsFolder = node.isFolder;
  info.IsLink = isLink;
  info.Attributes = node.attributes;
  info.Size = node.isFolder ? 0 : node.content.size();
  info.Modified = node.modified;
  info.VolumeId = place.volume;
  info.FileId = place.node;
  return info;
}

Status PowerCutFileSystem::ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) {
  entries.clear();
  const Place place = Find(folder);
  if (place.node == 0 || !live_.nodes.at(place.node).isFolder) return Error(StatusCode::NotFound);
  for (const auto& child : live_.folders.at(place.node)) {
    Place entry = place;
    entry.node = child.second.node;
    entries.push_back(InfoOf(entry, child.second.name, child.second.isLink));
  }
  return Status::Ok();
}

Status PowerCutFileSystem::GetInfo(const std::u16string& path, FileInfo& info) {
  const Place place = Find(path);
  if (place.node == 0) return Error(StatusCode::NotFound);
  info = InfoOf(place, SplitAtLastSeparator(TrimTrailingSeparators(path)).Name,
                place.entry != nullptr && place.entry->isLink);
  return Status::Ok();
}

Status PowerCutFileSystem::CreateFolder(const std::u16string& path) {
  const Place place = Find(path);
  if (place.node != 0) return Error(StatusCode::Exists);
  if (place.parent == 0) return Error(StatusCode::NotFound);
  Change change{Change::AddEntry};
  change.folder = place.parent;
  change.name = place.name;
  change.node = live_.nextNode++;
  change.made.isFolder = true;
  change.made.volume = place.volume;
  change.made.modified = ++live_.clock;
  return Record(std::move(change));
}

Status PowerCutFileSystem::Rename(const std::u16string& from, const std::u16string& to, bool replace) {
  const Place source = Find(from);
  if (source.node == 0 || source.parent == 0) return Error(StatusCode::NotFound);
  const Place target = Find(to);
  if (target.volume != source.volume) return Error(StatusCode::CrossDevice);
  if (target.parent == 0) return Error(StatusCode::NotFound);
  for (uint64_t up = target.parent; up != 0;) {
    if (up == source.node) return Error(StatusCode::InvalidName);
    uint64_t parent = 0;
    for (const auto& folder : live_.folders) {
      for (const auto& entry : folder.second) {
        if (entry.second.node == up && !entry.second.isLink) parent = folder.first;
      }
    }
    up = parent;
  }
  const bool sourceIsFolder = live_.nodes.at(source.node).isFolder;
  if (target.node != 0 && target.node != source.node) {
    if (!replace) return Error(StatusCode::Exists);
    const DiskImage::Node& existing = live_.nodes.at(target.node);
    if (existing.isFolder || sourceIsFolder || existing.attributes.ReadOnly) return Error(StatusCode::AccessDenied);
  }
  Change change{Change::Rename};
  change.folder = source.parent;
  change.name = source.entry->name;
  change.toFolder = target.parent;
  change.toName = target.name;
  change.node = source.node;
  return Record(std::move(change));
}

Status PowerCutFileSystem::MoveNoReplace(const std::u16string& from, const std::u16string& to) {
  return Rename(from, to, false);
}

Status PowerCutFileSystem::MoveReplace(const std::u16string& from, const std::u16string& to) {
  return Rename(from, to, true);
}

Status PowerCutFileSystem::CopyToNewFile(const std::u16string& from, const std::u16string& to,
                                         const FileAttributes& createWith, CopyReport* report) {
  const Place source = Find(from);
  if (source.node == 0) return Error(StatusCode::NotFound);
  const DiskImage::Node original = live_.nodes.at(source.node);
  if (original.isFolder) return Error(StatusCode::AccessDenied);
  const Place target = Find(to);
  if (target.node != 0) return Error(StatusCode::Exists);
  if (target.parent == 0) return Error(StatusCode::NotFound);
  // Three steps, as on a disk: the name, the contents with the source's
  // time, and the flush that makes the contents durable.
  Change create{Change::AddEntry};
  create.folder = target.parent;
  create.name = target.name;
  create.node = live_.nextNode++;
  create.made.volume = target.volume;
  create.made.attributes = createWith;
  create.made.modified = ++live_.clock;
  const uint64_t node = create.node;
  if (report != nullptr) report->CopyId = node;
  Record(std::move(create));
  Change write{Change::WriteContent};
  write.node = node;
  write.made.content = original.content;
  write.made.modified = original.modified;
  Record(std::move(write));
  Change flush{Change::FlushFile};
  flush.node = node;
  return Record(std::move(flush));
}

Status PowerCutFileSystem::SetAttributes(const std::u16string& path, const FileAttributes& attributes) {
  const Place place = Find(path);
  if (place.node == 0) return Error(StatusCode::NotFound);
  Change change{Change::SetAttributes};
  change.folder = place.parent;
  change.name = place.name;
  change.node = place.node;
  change.attributes = attributes;
  return Record(std::move(change));
}

Status PowerCutFileSystem::RemoveFile(const std::u16string& path) {
  const Place place = Find(path);
  if (place.node == 0 || place.parent == 0) return Error(StatusCode::NotFound);
  const DiskImage::Node& node = live_.nodes.at(place.node);
  if (node.isFolder || node.attributes.ReadOnly) return Error(StatusCode::AccessDenied);
  Change change{Change::RemoveEntry};
  change.folder = place.parent;
  change.name = place.entry->name;
  change.node = place.node;
  return Record(std::move(change));
}

// A link goes with the link alone, as RemoveDirectoryW removes a folder link.
Status PowerCutFileSystem::RemoveEmptyFolder(const std::u16string& path) {
  const Place place = Find(path);
  if (place.node == 0 || !live_.nodes.at(place.node).isFolder) return Error(StatusCode::NotFound);
  if (place.parent == 0) return Error(StatusCode::AccessDenied);
  if (!place.entry->isLink && !live_.folders.at(place.node).empty()) return Error(StatusCode::NotEmpty);
  Change change{Change::RemoveEntry};
  change.folder = place.parent;
  change.name = place.entry->name;
  change.node = place.node;
  return Record(std::move(change));
}

Status PowerCutFileSystem::FlushFolder(const std::u16string& folder) {
  const Place place = Find(folder);
  if (place.node == 0 || !live_.nodes.at(place.node).isFolder) return Error(StatusCode::NotFound);
  Change change{Change::FlushFolder};
  change.folder = place.node;
  Record(std::move(change));
  // What the platform answers on such a share; the model makes nothing durable for it either way.
  if (persistence_ == Persistence::NoFolderFlush) return Error(StatusCode::Unsupported);
  return Status::Ok();
}

Status PowerCutFileSystem::CompareContent(const std::u16string& a, const std::u16string& b, bool& same) {
  return CompareStoredContents(ReadFile(a), ReadFile(b), same);
}

Status PowerCutFileSystem::TryOpenExclusive(const std::u16string& path) {
  return Find(path).node == 0 ? Error(StatusCode::NotFound) : Status::Ok();
}

}  // namespace savrin
