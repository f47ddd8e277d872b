#include "platform/path_text.h"

namespace savrin {
namespace {

bool IsDriveLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// Length of "server\share\" (or "server\share") starting at `from`.
size_t ServerShareLength(std::u16string_view path, size_t from) {
  size_t i = from;
  while (i < path.size() && !IsSeparator(path[i])) ++i;  // server
  if (i < path.size()) ++i;
  while (i < path.size() && !IsSeparator(path[i])) ++i;  // share
  if (i < path.size()) ++i;
  return i;
}

size_t DriveRootLength(std::u16string_view path, size_t from) {
  if (path.size() >= from + 2 && IsDriveLetter(path[from]) && path[from + 1] == u':') {
    return (path.size() > from + 2 && IsSeparator(path[from + 2])) ? from + 3 : from + 2;
  }
  return 0;
}

}  // namespace

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

size_t RootLength(std::u16string_view path) {
  if (path.size() >= 4 && path.substr(0, 4) == u"\\\\?\\") {
    if (path.size() >= 8 && (path.substr(4, 4) == u"UNC\\" || path.substr(4, 4) == u"unc\\")) {
      return ServerShareLength(path, 8);
    }
    const size_t drive = DriveRootLength(path, 4);
    return drive != 0 ? drive : 4;
  }
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) return ServerShareLength(path, 2);
  if (const size_t drive = DriveRootLength(path, 0); drive != 0) return drive;
  if (!path.empty() && IsSeparator(path[0])) return 1;
  return 0;
}

std::u16string_view TrimTrailingSeparators(std::u16string_view path) {
  const size_t root = RootLength(path);
  size_t end = path.size();
  while (end > root && IsSeparator(path[end - 1])) --end;
  return path.substr(0, end);
}

PathSplit SplitAtLastSeparator(std::u16string_view path) {
  const size_t root = RootLength(path);
  size_t cut = path.size();
  while (cut > root && !IsSeparator(path[cut - 1])) --cut;
  PathSplit split;
  split.Name = std::u16string(path.substr(cut));
  // A separator only ends the folder part; the root keeps its own.
  size_t folderEnd = cut;
  while (folderEnd > root && IsSeparator(path[folderEnd - 1])) --folderEnd;
  split.Folder = std::u16string(path.substr(0, folderEnd));
  return split;
}

std::u16string JoinPath(std::u16string_view folder, std::u16string_view name) {
  std::u16string joined(folder);
  if (!joined.empty() && !IsSeparator(joined.back())) {
    const size_t last = joined.find_last_of(u"\\/");
    joined.push_back(last == std::u16string::npos ? u'\\' : joined[last]);
  }
  joined.append(name);
  return joined;
}

}  // namespace savrin
