#include "sorting/name_match.h"

#include <string>

#include "platform/case_fold.h"

namespace savrin {
namespace {

// Both texts already folded. Greedy with one resume point: when a later '*'
// is reached the earlier ones can be forgotten, since whatever they could
// still absorb the later one can absorb too.
bool MatchFolded(std::u16string_view pattern, std::u16string_view name) {
  constexpr size_t kNone = std::u16string_view::npos;
  size_t p = 0;
  size_t n = 0;
  size_t starAt = kNone;
  size_t resumeAt = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starAt = p++;
      resumeAt = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (starAt != kNone) {
      p = starAt + 1;
      n = ++resumeAt;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

}  // namespace

bool HasWildcard(std::u16string_view pattern) { return pattern.find_first_of(u"*?") != std::u16string_view::npos; }

bool NameMatches(std::u16string_view pattern, std::u16string_view name) {
  const std::u16string foldedPattern = FoldCase(pattern);
  const std::u16string foldedName = FoldCase(name);
  if (MatchFolded(foldedPattern, foldedName)) return true;
  const std::u16string_view view(foldedPattern);
  return view.size() >= 2 && view.substr(view.size() - 2) == u".*" &&
         MatchFolded(view.substr(0, view.size() - 2), foldedName);
}

}  // namespace savrin
