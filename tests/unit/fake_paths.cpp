#include "tests/unit/fake_paths.h"

#include "platform/case_fold.h"
#include "platform/path_text.h"

namespace savrin {

std::vector<std::u16string> FakePathComponents(const std::u16string& path, size_t rootLength) {
  std::vector<std::u16string> parts;
  size_t i = rootLength;
  while (i < path.size()) {
    size_t end = i;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > i && path.compare(i, end - i, u".") != 0) parts.push_back(path.substr(i, end - i));
    i = end + 1;
  }
  return parts;
}

std::u16string FakeVolumeKey(std::u16string_view root) {
  std::u16string key;
  for (char16_t c : root) key.push_back(IsSeparator(c) ? u'\\' : FoldCase(c));
  if (key.empty() || key.back() != u'\\') key.push_back(u'\\');
  return key;
}

Status CompareStoredContents(const std::optional<std::string>& a, const std::optional<std::string>& b, bool& same) {
  if (!a || !b) return Status::Error(StatusCode::NotFound);
  same = *a == *b;
  return Status::Ok();
}

bool IsTemporaryComponent(std::u16string_view name) { return FoldCase(name.substr(0, 8)) == u"~SAVRIN-"; }

bool UnderTemporary(std::u16string_view relative) {
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find(u'\\', start);
    if (end == std::u16string_view::npos) end = relative.size();
    if (IsTemporaryComponent(relative.substr(start, end - start))) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace savrin
