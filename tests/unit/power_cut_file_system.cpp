#include "tests/unit/power_cut_file_system.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <stdexcept>

#include "platform/case_fold.h"
#include "platform/path_text.h"
#include "platform/utf.h"
#include "sorting/path_compare.h"
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

// What a file whose space was given back reads as: not anything it held.
const char kFreed[] = "<freed space>";

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

void PowerCutFileSystem::AddAlias(const std::u16string& root, const std::u16string& folder) {
  const Place place = Find(folder);
  if (place.node == 0 || !live_.nodes.at(place.node).isFolder) throw std::runtime_error("model: no such folder");
  live_.roots[FakeVolumeKey(root)] = place.node;
  base_ = live_;
}

PowerCutFileSystem::Place PowerCutFileSystem::Find(const DiskImage& image, const std::u16string& path) const {
  Place place;
  const size_t rootLength = RootLength(path);
  if (rootLength == 0) return place;
  const auto root = image.roots.find(FakeVolumeKey(std::u16string_view(path).substr(0, rootLength)));
  if (root == image.roots.end()) return place;
  place.volume = image.nodes.at(root->second).volume;
  const std::vector<std::u16string> parts = FakePathComponents(path, rootLength);
  if (parts.empty()) {
    place.node = root->second;
    return place;
  }
  auto alive = [&](uint64_t node) { return image.nodes.count(node) != 0 && image.nodes.at(node).names > 0; };
  uint64_t folder = root->second;
  for (size_t k = 0; k + 1 < parts.size(); ++k) {
    const auto& entries = image.folders.at(folder);
    const auto child = entries.find(FoldCase(parts[k]));
    if (child == entries.end() || !alive(child->second.node) || !image.nodes.at(child->second.node).isFolder) {
      return place;
    }
    folder = child->second.node;
  }
  place.parent = folder;
  place.volume = image.nodes.at(folder).volume;
  place.name = parts.back();
  const auto& entries = image.folders.at(folder);
  const auto found = entries.find(FoldCase(place.name));
  if (found != entries.end()) {
    place.entry = &found->second;
    // A link whose file is gone leads nowhere; a second name left by a cut
    // rename still leads to what its space holds now.
    if (!found->second.isLink || alive(found->second.node)) place.node = found->second.node;
  }
  return place;
}

PowerCutFileSystem::Place PowerCutFileSystem::Acted(const Place& place) const {
  if (place.entry == nullptr || !place.entry->isLink || place.entry->shows == LinkShows::AsLink) return place;
  for (const auto& folder : live_.folders) {
    for (const auto& entry : folder.second) {
      if (entry.second.node != place.node || entry.second.isLink) continue;
      Place own;
      own.volume = live_.nodes.at(folder.first).volume;
      own.parent = folder.first;
      own.name = entry.second.name;
      own.entry = &entry.second;
      own.node = place.node;
      return own;
    }
  }
  return Place{};
}

std::u16string PowerCutFileSystem::CanonicalPath(uint64_t node) const {
  for (const auto& root : live_.roots) {
    if (root.second == node && live_.nodes.at(node).volume == node) return root.first;
  }
  for (const auto& folder : live_.folders) {
    for (const auto& entry : folder.second) {
      if (entry.second.node == node && !entry.second.isLink) {
        return JoinPath(CanonicalPath(folder.first), entry.second.name);
      }
    }
  }
  return {};
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
  if (place.parent == 0 || place.entry != nullptr) throw std::runtime_error("model: cannot write the file");
  const uint64_t node = live_.nextNode++;
  DiskImage::Node file;
  file.volume = place.volume;
  file.content = content;
  file.attributes = attributes;
  file.modified = ++live_.clock;
  live_.nodes[node] = file;
  live_.folders[place.parent][FoldCase(place.name)] = {place.name, node, false, LinkShows::AsLink};
  base_ = live_;
}

void PowerCutFileSystem::MakeLink(const std::u16string& link, const std::u16string& target, LinkShows shows) {
  const Place place = Find(link);
  const Place to = Find(target);
  if (place.parent == 0 || place.entry != nullptr || to.node == 0) throw std::runtime_error("model: cannot link");
  live_.folders[place.parent][FoldCase(place.name)] = {place.name, to.node, true, shows};
  base_ = live_;
}

void PowerCutFileSystem::MakeHardLink(const std::u16string& link, const std::u16string& existing) {
  const Place place = Find(link);
  const Place to = Find(existing);
  if (place.parent == 0 || place.entry != nullptr || to.node == 0 || place.volume != to.volume ||
      live_.nodes.at(to.node).isFolder) {
    throw std::runtime_error("model: cannot make the hard link");
  }
  live_.folders[place.parent][FoldCase(place.name)] = {place.name, to.node, false, LinkShows::AsLink};
  ++live_.nodes.at(to.node).names;
  base_ = live_;
}

std::optional<std::string> PowerCutFileSystem::ReadFile(const std::u16string& path) const {
  const Place place = Find(path);
  if (place.node == 0 || live_.nodes.at(place.node).isFolder) return std::nullopt;
  return live_.nodes.at(place.node).content;
}

std::optional<FileInfo> PowerCutFileSystem::Look(const std::u16string& path) const {
  const Place place = Find(path);
  if (place.node == 0) return std::nullopt;
  return InfoOf(place, place.name);
}

bool PowerCutFileSystem::IsLinkEntry(const std::u16string& path) const {
  const Place place = Find(path);
  return place.entry != nullptr && place.entry->isLink;
}

void PowerCutFileSystem::StartRecording() {
  base_ = live_;
  log_.clear();
}

void PowerCutFileSystem::WriteBack() { Record(Change{Change::WriteBack}); }

std::string PowerCutFileSystem::DescribeChange(size_t index) const {
  static const char* const kNames[] = {"add",          "remove",     "rename",       "set attributes", "set times",
                                       "write content", "flush file", "flush folder", "write-back"};
  const Change& change = log_.at(index);
  std::string text = kNames[change.kind];
  if (!change.name.empty()) text += " " + EncodeUtf8(change.name);
  if (!change.toName.empty()) text += " -> " + EncodeUtf8(change.toName);
  return text;
}

namespace {

// One name fewer for a node; with none left its space is free, whatever
// other entries still lead there.
void DropName(DiskImage& image, uint64_t node) {
  const auto found = image.nodes.find(node);
  if (found == image.nodes.end()) return;
  if (--found->second.names <= 0 && !found->second.isFolder) found->second.content = kFreed;
}

// Puts `entry` under its name in `folder`; a real entry that had the name
// loses it.
void PutEntry(DiskImage& image, uint64_t folder, DiskImage::Entry entry) {
  auto& entries = image.folders[folder];
  const std::u16string key = FoldCase(entry.name);
  const auto old = entries.find(key);
  if (old != entries.end() && !old->second.isLink) DropName(image, old->second.node);
  entries[key] = std::move(entry);
}

}  // namespace

// `clearsOldName` false replays only the first half of a rename: the new
// name written, the old one not yet cleared.
void PowerCutFileSystem::Apply(DiskImage& image, const Change& change, bool clearsOldName) {
  switch (change.kind) {
    case Change::AddEntry:
      image.nodes.emplace(change.node, change.made);
      if (change.made.isFolder) image.folders[change.node];
      PutEntry(image, change.folder, {change.name, change.node, false, LinkShows::AsLink});
      break;
    case Change::RemoveEntry: {
      auto& entries = image.folders[change.folder];
      const auto old = entries.find(FoldCase(change.name));
      if (old == entries.end() || old->second.node != change.node) break;
      const bool isLink = old->second.isLink;
      entries.erase(old);
      if (!isLink) DropName(image, change.node);
      break;
    }
    case Change::Rename: {
      auto& from = image.folders[change.folder];
      const auto old = from.find(FoldCase(change.name));
      if (old == from.end() || old->second.node != change.node) break;
      DiskImage::Entry moved = old->second;
      moved.name = change.toName;
      // Left uncleared, the old name is a second one the file system does
      // not count: the space goes when either name goes.
      if (clearsOldName) from.erase(old);
      PutEntry(image, change.toFolder, std::move(moved));
      break;
    }
    case Change::SetAttributes: {
      const auto node = image.nodes.find(change.node);
      if (node != image.nodes.end()) node->second.attributes = change.attributes;
      break;
    }
    case Change::SetTimes: {
      const auto node = image.nodes.find(change.node);
      if (node != image.nodes.end()) node->second.modified = change.made.modified;
      break;
    }
    case Change::WriteContent: {
      const auto node = image.nodes.find(change.node);
      if (node != image.nodes.end()) node->second.content = change.made.content;
      break;
    }
    case Change::FlushFile:
    case Change::FlushFolder:
    case Change::WriteBack:
      break;
  }
}

Status PowerCutFileSystem::Record(Change change) {
  Apply(live_, change);
  log_.push_back(std::move(change));
  return Status::Ok();
}

Status PowerCutFileSystem::RecordRemoval(const Place& place) {
  Change change{Change::RemoveEntry};
  change.folder = place.parent;
  change.name = place.entry->name;
  change.node = place.node;
  return Record(std::move(change));
}

namespace {

bool IsEntryChange(int kind) { return kind <= 2; }  // AddEntry, RemoveEntry, Rename
bool IsNodeChange(int kind) { return kind == 3 || kind == 4; }  // SetAttributes, SetTimes

}  // namespace

std::vector<DiskImage> PowerCutFileSystem::CrashStates(size_t cut, size_t limit, std::mt19937_64& random,
                                                       double& possible, bool corners) const {
  const bool ordered = persistence_ == Persistence::OrderedMetadata;
  const bool foldersFlush = persistence_ != Persistence::NoFolderFlush;
  auto writtenBackAfter = [&](size_t i) {
    for (size_t j = i + 1; j < cut; ++j) {
      if (log_[j].kind == Change::WriteBack) return true;
    }
    return false;
  };
  auto folderFlushedAfter = [&](size_t i, uint64_t folder) {
    for (size_t j = i + 1; j < cut && foldersFlush; ++j) {
      if (log_[j].kind == Change::FlushFolder && log_[j].folder == folder) return true;
    }
    return false;
  };
  auto nodeFlushedAfter = [&](size_t i, uint64_t node) {
    for (size_t j = i + 1; j < cut; ++j) {
      if (log_[j].kind == Change::FlushFile && log_[j].node == node) return true;
      if (log_[j].kind == Change::FlushFolder && log_[j].folder == node && foldersFlush) return true;
    }
    return false;
  };
  auto anyFlushAfter = [&](size_t i) {
    for (size_t j = i + 1; j < cut; ++j) {
      if (log_[j].kind == Change::FlushFile || (log_[j].kind == Change::FlushFolder && foldersFlush)) return true;
    }
    return false;
  };

  // Each metadata change a cut may keep or lose is a choice; a rename
  // without a journal is two, the new name and the old one's clearing, and
  // the second never reaches the disk without the first.
  struct Choice {
    size_t change = 0;
    int options = 2;   // 2: lost or kept; 3: a rename lost, under both names, or done
    bool half = false;  // the new name is durable, the old one's clearing is not
  };
  std::vector<size_t> metadata;        // in order, with whether it is durable
  std::vector<bool> durable;
  std::vector<Choice> choices;         // Weak: the open ones
  std::map<size_t, bool> fixedHalf;    // Weak: renames durable in their first half only
  for (size_t i = 0; i < cut; ++i) {
    const Change& change = log_[i];
    if (!IsEntryChange(change.kind) && !IsNodeChange(change.kind)) continue;
    bool flushed = writtenBackAfter(i) || (ordered && anyFlushAfter(i));
    if (!ordered && !flushed) {
      if (change.kind == Change::Rename) {
        const bool oldCleared = folderFlushedAfter(i, change.folder);
        const bool newWritten = oldCleared || folderFlushedAfter(i, change.toFolder);
        flushed = oldCleared;
        if (!flushed) {
          if (newWritten) {
            fixedHalf[i] = true;
            choices.push_back({i, 2, true});
          } else {
            choices.push_back({i, 3, false});
          }
        }
      } else {
        flushed = IsEntryChange(change.kind) ? folderFlushedAfter(i, change.folder) : nodeFlushedAfter(i, change.node);
        if (!flushed) choices.push_back({i, 2, false});
      }
    }
    metadata.push_back(i);
    durable.push_back(flushed);
  }
  size_t durablePrefix = 0;
  for (size_t k = 0; k < metadata.size(); ++k) {
    if (durable[k]) durablePrefix = k + 1;
  }
  // Contents written and not flushed since, per node: they may read back old,
  // as zeros, cut short, or whole.
  std::vector<size_t> unflushedWrites;
  for (size_t i = 0; i < cut; ++i) {
    if (log_[i].kind == Change::WriteContent && !writtenBackAfter(i) && !nodeFlushedAfter(i, log_[i].node)) {
      unflushedWrites.push_back(i);
    }
  }
  constexpr int kContentForms = 4;

  // A state is one number per choice (Weak) or the prefix length (ordered),
  // and a form per unflushed write.
  std::vector<int> radices;
  if (ordered) {
    radices.push_back(static_cast<int>(metadata.size() - durablePrefix + 1));
  } else {
    for (const Choice& choice : choices) radices.push_back(choice.options);
  }
  const size_t metadataDigits = radices.size();
  for (size_t w = 0; w < unflushedWrites.size(); ++w) radices.push_back(kContentForms);
  possible = 1;
  for (int radix : radices) possible *= radix;

  auto build = [&](const std::vector<int>& digits) {
    DiskImage image = base_;
    // Numbers handed out before the cut stay taken, whether or not their nodes survived.
    image.nextNode = live_.nextNode;
    image.clock = live_.clock;
    // For each metadata change: 0 lost, 1 only its new name (a rename), 2 kept.
    std::map<size_t, int> kept;
    if (ordered) {
      for (size_t k = 0; k < metadata.size(); ++k) {
        kept[metadata[k]] = k < durablePrefix + static_cast<size_t>(digits[0]) ? 2 : 0;
      }
    } else {
      for (size_t k = 0; k < metadata.size(); ++k) kept[metadata[k]] = durable[k] ? 2 : 0;
      for (size_t c = 0; c < choices.size(); ++c) {
        const Choice& choice = choices[c];
        const int digit = digits[c];
        if (choice.half) {
          kept[choice.change] = digit == 0 ? 1 : 2;
        } else if (choice.options == 3) {
          kept[choice.change] = digit;
        } else {
          kept[choice.change] = digit == 0 ? 0 : 2;
        }
      }
    }
    std::map<size_t, int> formOf;
    for (size_t w = 0; w < unflushedWrites.size(); ++w) formOf[unflushedWrites[w]] = digits[metadataDigits + w];
    for (size_t i = 0; i < cut; ++i) {
      const Change& change = log_[i];
      const auto keep = kept.find(i);
      if (keep != kept.end()) {
        if (keep->second == 2) {
          Apply(image, change);
        } else if (keep->second == 1) {
          Apply(image, change, false);
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

  std::vector<DiskImage> states;
  std::vector<int> digits(radices.size(), 0);
  if (possible <= static_cast<double>(limit)) {
    for (;;) {
      states.push_back(build(digits));
      size_t d = 0;
      while (d < digits.size() && ++digits[d] == radices[d]) digits[d++] = 0;
      if (d == digits.size()) return states;
    }
  }
  std::set<std::vector<int>> drawn;
  std::vector<int> everything(radices.size());
  for (size_t d = 0; d < radices.size(); ++d) everything[d] = radices[d] - 1;
  for (const std::vector<int>& corner : {digits, everything}) {
    if (!corners) break;
    drawn.insert(corner);
    states.push_back(build(corner));
  }
  while (states.size() < limit) {
    for (size_t d = 0; d < radices.size(); ++d) digits[d] = static_cast<int>(random() % radices[d]);
    if (drawn.insert(digits).second) states.push_back(build(digits));
  }
  return states;
}

FileInfo PowerCutFileSystem::InfoOf(const Place& place, const std::u16string& name) const {
  const DiskImage::Node& node = live_.nodes.at(place.node);
  FileInfo info;
  info.Name = name;
  info.IsFolder = node.isFolder;
  info.IsLink = place.entry != nullptr && place.entry->isLink && place.entry->shows == LinkShows::AsLink;
  info.Attributes = node.attributes;
  info.Size = node.isFolder ? 0 : node.content.size();
  info.Modified = node.modified;
  info.VolumeId = node.volume;
  info.FileId = place.node;
  return info;
}

Status PowerCutFileSystem::ListFolder(const std::u16string& folder, std::vector<FileInfo>& entries) {
  entries.clear();
  const Place place = Find(folder);
  if (place.node == 0 || !live_.nodes.at(place.node).isFolder) return Error(StatusCode::NotFound);
  for (const auto& child : live_.folders.at(place.node)) {
    Place entry;
    entry.volume = place.volume;
    entry.parent = place.node;
    entry.entry = &child.second;
    entry.node = child.second.node;
    if (child.second.isLink && live_.nodes.at(entry.node).names <= 0) continue;  // leads nowhere
    entries.push_back(InfoOf(entry, child.second.name));
  }
  return Status::Ok();
}

Status PowerCutFileSystem::GetInfo(const std::u16string& path, FileInfo& info) {
  const Place place = Find(path);
  if (place.node == 0) return Error(StatusCode::NotFound);
  info = InfoOf(place, SplitAtLastSeparator(TrimTrailingSeparators(path)).Name);
  return Status::Ok();
}

// Every link on the way resolved, as GetFinalPathNameByHandle gives it
// (and, under Wine, also for a Linux symlink).
Status PowerCutFileSystem::ResolvedPath(const std::u16string& path, std::u16string& resolved) {
  const size_t rootLength = RootLength(path);
  const auto root = rootLength == 0 ? live_.roots.end()
                                    : live_.roots.find(FakeVolumeKey(std::u16string_view(path).substr(0, rootLength)));
  if (root == live_.roots.end()) return Error(StatusCode::NotFound);
  uint64_t node = root->second;
  resolved = CanonicalPath(node);
  for (const std::u16string& part : FakePathComponents(path, rootLength)) {
    const DiskImage::Node& folder = live_.nodes.at(node);
    if (!folder.isFolder || folder.names <= 0) return Error(StatusCode::NotFound);
    const auto& entries = live_.folders.at(node);
    const auto found = entries.find(FoldCase(part));
    if (found == entries.end()) return Error(StatusCode::NotFound);
    node = found->second.node;
    if (found->second.isLink && live_.nodes.at(node).names <= 0) return Error(StatusCode::NotFound);
    resolved = found->second.isLink ? CanonicalPath(node) : JoinPath(resolved, found->second.name);
  }
  if (live_.nodes.at(node).names <= 0 && live_.nodes.at(node).isFolder) return Error(StatusCode::NotFound);
  return resolved.empty() ? Error(StatusCode::NotFound) : Status::Ok();
}

Status PowerCutFileSystem::CreateFolder(const std::u16string& path) {
  const Place place = Find(path);
  if (place.entry != nullptr) return Error(StatusCode::Exists);
  if (place.parent == 0) return Error(place.node != 0 ? StatusCode::Exists : StatusCode::NotFound);
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
  const Place source = Acted(Find(from));
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
  const bool sameEntry = target.parent == source.parent && target.entry == source.entry;
  if (target.entry != nullptr && !sameEntry) {
    if (!replace) return Error(StatusCode::Exists);
    if (sourceIsFolder) return Error(StatusCode::AccessDenied);
    if (target.node != 0) {
      const DiskImage::Node& existing = live_.nodes.at(target.node);
      if (existing.isFolder || existing.attributes.ReadOnly) return Error(StatusCode::AccessDenied);
    }
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

void PowerCutFileSystem::RecordSetTimes(uint64_t node, int64_t modified) {
  Change times{Change::SetTimes};
  times.node = node;
  times.made.modified = modified;
  Record(std::move(times));
}

Status PowerCutFileSystem::CopyToNewFile(const std::u16string& from, const std::u16string& to,
                                         const CopySettings& settings, CopyReport* report) {
  const Place source = Find(from);
  if (source.node == 0) return Error(StatusCode::NotFound);
  const DiskImage::Node original = live_.nodes.at(source.node);
  if (original.isFolder) return Error(StatusCode::AccessDenied);
  const Place target = Find(to);
  if (target.entry != nullptr) return Error(StatusCode::Exists);
  if (target.parent == 0) return Error(StatusCode::NotFound);
  // Each a change of its own, as on a disk: the name, the contents, the
  // source's time, the attributes asked for, and the flush that makes the
  // file's own part of them durable.
  Change create{Change::AddEntry};
  create.folder = target.parent;
  create.name = target.name;
  create.node = live_.nextNode++;
  create.made.volume = target.volume;
  create.made.modified = ++live_.clock;
  const uint64_t node = create.node;
  if (report != nullptr) {
    report->CopyId = node;
    report->Source = FileStamp::Of(InfoOf(source, {}));
  }
  Record(std::move(create));
  Change write{Change::WriteContent};
  write.node = node;
  write.made.content = original.content;
  Record(std::move(write));
  RecordSetTimes(node, original.modified);
  if (!(settings.Attributes == FileAttributes{})) {
    Change attributes{Change::SetAttributes};
    attributes.node = node;
    attributes.attributes = settings.Attributes;
    Record(std::move(attributes));
  }
  if (settings.FlushLater) return Status::Ok();
  Change flush{Change::FlushFile};
  flush.node = node;
  return Record(std::move(flush));
}

void PowerCutFileSystem::StartFlushingCopies(const std::vector<std::u16string>& paths) { copiesToFlush_ = paths; }

void PowerCutFileSystem::FinishFlushingCopies(std::vector<Status>& results) {
  const std::vector<std::u16string> paths = std::move(copiesToFlush_);
  copiesToFlush_.clear();
  results.assign(paths.size(), Status::Ok());
  for (size_t i = paths.size(); i-- > 0;) {
    const Place place = Find(paths[i]);
    if (place.node == 0) {
      results[i] = Error(StatusCode::NotFound);
      continue;
    }
    const std::string& content = live_.nodes.at(place.node).content;
    if (std::find(failingCopies_.begin(), failingCopies_.end(), content) != failingCopies_.end()) {
      results[i] = Error(StatusCode::IoError);
      continue;
    }
    Change flush{Change::FlushFile};
    flush.node = place.node;
    Record(std::move(flush));
  }
}

void PowerCutFileSystem::FailFolderFlushes(const std::u16string& folder, int count) {
  const Place place = Find(folder);
  if (place.node == 0) throw std::runtime_error("model: no such folder");
  failingFolders_[place.node] = count;
}

Status PowerCutFileSystem::SetAttributes(const std::u16string& path, const FileAttributes& attributes) {
  const Place place = Find(path);
  if (place.node == 0) return Error(StatusCode::NotFound);
  Change change{Change::SetAttributes};
  change.node = place.node;
  change.attributes = attributes;
  return Record(std::move(change));
}

Status PowerCutFileSystem::CopyTimes(const std::u16string& from, const std::u16string& to) {
  const Place source = Find(from);
  const Place target = Find(to);
  if (source.node == 0 || target.node == 0) return Error(StatusCode::NotFound);
  RecordSetTimes(target.node, live_.nodes.at(source.node).modified);
  return Status::Ok();
}

// Wine removes what a Linux symlink leads to; Windows removes a link itself.
Status PowerCutFileSystem::RemoveFile(const std::u16string& path) {
  const Place place = Acted(Find(path));
  if (place.node == 0 || place.parent == 0) return Error(StatusCode::NotFound);
  const DiskImage::Node& node = live_.nodes.at(place.node);
  if (node.isFolder || node.attributes.ReadOnly) return Error(StatusCode::AccessDenied);
  return RecordRemoval(place);
}

// As the Win32 backend does: a link that shows as its target is refused
// (under Wine its removal would take the target), a read-only file goes.
Status PowerCutFileSystem::RemoveFileIfUnchanged(const std::u16string& path, const FileStamp& expected,
                                                 bool& changed) {
  changed = false;
  const Place place = Find(path);
  if (place.node == 0 || place.parent == 0) return Error(StatusCode::NotFound);
  const DiskImage::Node& node = live_.nodes.at(place.node);
  if (node.isFolder || !expected.Matches(FileStamp::Of(InfoOf(place, place.name)))) {
    changed = true;
    return Status::Ok();
  }
  if (place.entry->isLink && place.entry->shows == LinkShows::AsTarget) return Error(StatusCode::Unsupported);
  return RecordRemoval(place);
}

// A link shown as a link goes with the link alone, as RemoveDirectoryW
// removes a folder link; one shown as its target takes the target if empty.
Status PowerCutFileSystem::RemoveEmptyFolder(const std::u16string& path) {
  const Place found = Find(path);
  if (found.node == 0 || !live_.nodes.at(found.node).isFolder) return Error(StatusCode::NotFound);
  const Place place = Acted(found);
  if (place.parent == 0) return Error(StatusCode::AccessDenied);
  const bool linkItself = place.entry->isLink;
  if (!linkItself && !live_.folders.at(place.node).empty()) return Error(StatusCode::NotEmpty);
  return RecordRemoval(place);
}

Status PowerCutFileSystem::FlushFolder(const std::u16string& folder) {
  const Place place = Find(folder);
  if (place.node == 0 || !live_.nodes.at(place.node).isFolder) return Error(StatusCode::NotFound);
  const auto failing = failingFolders_.find(place.node);
  if (failing != failingFolders_.end() && failing->second > 0) {
    --failing->second;
    return Error(StatusCode::IoError);
  }
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
