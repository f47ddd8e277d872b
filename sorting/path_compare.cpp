#include "sorting/path_compare.h"

#include <vector>

#include "platform/path_text.h"
#include "platform/case_fold.h"

namespace savrin {

std::u16string ComparablePath(std::u16string_view path) {
  const size_t rootLength = RootLength(path);
  std::u16string result;
  for (char16_t c : path.substr(0, rootLength)) result.push_back(IsSeparator(c) ? u'\\' : c);
  // "\\server\share" and "\\server\share\" are one root; a drive's "C:\" keeps its separator.
  if (result.size() > 2 && result[0] == u'\\' && result[1] == u'\\' && result.back() == u'\\') result.pop_back();
  std::vector<std::u16string_view> parts;
  size_t i = rootLength;
  while (i < path.size()) {
    size_t end = i;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::u16string_view part = path.substr(i, end - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = end + 1;
  }
  for (const std::u16string_view part : parts) {
    if (!result.empty() && result.back() != u'\\') result.push_back(u'\\');
    result.append(part);
  }
  return FoldCase(result);
}

bool IsSameOrInside(std::u16string_view path, std::u16string_view folder) {
  const std::u16string inner = ComparablePath(path);
  const std::u16string outer = ComparablePath(folder);
  if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
  return inner.size() == outer.size() || outer.back() == u'\\' || inner[outer.size()] == u'\\';
}

}  // namespace savrin
