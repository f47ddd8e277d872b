#include "sorting/name_match.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/case_fold.h"

namespace savrin {
namespace {

// The DOS wildcards of the file system's matcher, as FindFirstFileW hands
// them down. No file name can hold these characters.
constexpr char16_t kDosStar = u'<';  // any run that does not take the name's last dot
constexpr char16_t kDosQm = u'>';    // one character; at a dot or the end of the name, none
constexpr char16_t kDosDot = u'"';   // a dot, or nothing at the end of the name

// FindFirstFileW's rewriting of a pattern before it matches. Win32 path
// handling has dropped the trailing dots and spaces; FindFirstFileW looked
// at the last character before that. Then "*.*" is "*"; otherwise every '?'
// is DOS_QM, a '*' before a dot DOS_STAR, a dot before '?' or '*' DOS_DOT,
// and a '*' left at the end of a pattern that ended in a dot DOS_STAR (so
// "*." and "*.." take exactly the names without a dot).
std::u16string ToDosExpression(std::u16string_view pattern) {
  const bool endedInDot = !pattern.empty() && pattern.back() == u'.';
  const std::u16string_view trimmed = TrimTrailingDotsAndSpaces(pattern);
  if (trimmed == u"*.*") return u"*";
  std::u16string expression(trimmed);
  for (size_t i = 0; i < expression.size(); ++i) {
    const char16_t next = i + 1 < trimmed.size() ? trimmed[i + 1] : u'\0';
    if (trimmed[i] == u'?') {
      expression[i] = kDosQm;
    } else if (trimmed[i] == u'*' && next == u'.') {
      expression[i] = kDosStar;
    } else if (trimmed[i] == u'.' && (next == u'?' || next == u'*')) {
      expression[i] = kDosDot;
    }
  }
  if (endedInDot && !expression.empty() && expression.back() == u'*') expression.back() = kDosStar;
  return expression;
}

// Whether the expression (already rewritten) matches the name, both folded.
// The expression is run as an automaton over its positions, so the cost is
// at most length(expression) x length(name) steps whatever the stars.
bool MatchExpression(std::u16string_view expression, std::u16string_view name) {
  const size_t lastDot = name.rfind(u'.');
  std::vector<char> active(expression.size() + 1, 0);
  std::vector<char> next(expression.size() + 1, 0);
  active[0] = 1;
  for (size_t n = 0;; ++n) {
    const bool atEnd = n == name.size();
    const char16_t c = atEnd ? u'\0' : name[n];
    // What may match nothing here, ahead of this character.
    for (size_t p = 0; p < expression.size(); ++p) {
      if (!active[p]) continue;
      const char16_t e = expression[p];
      if (e == u'*' || e == kDosStar || (e == kDosQm && (atEnd || c == u'.')) || (e == kDosDot && atEnd)) {
        active[p + 1] = 1;
      }
    }
    if (atEnd) return active[expression.size()] != 0;
    std::fill(next.begin(), next.end(), 0);
    for (size_t p = 0; p < expression.size(); ++p) {
      if (!active[p]) continue;
      switch (expression[p]) {
        case u'*':
          next[p] = 1;
          break;
        case kDosStar:
          if (c != u'.' || n != lastDot) next[p] = 1;
          break;
        case u'?':
          next[p + 1] = 1;
          break;
        case kDosQm:
          if (c != u'.') next[p + 1] = 1;
          break;
        case kDosDot:
          if (c == u'.') next[p + 1] = 1;
          break;
        default:
          if (expression[p] == c) next[p + 1] = 1;
          break;
      }
    }
    active.swap(next);
  }
}

}  // namespace

bool HasWildcard(std::u16string_view pattern) { return pattern.find_first_of(u"*?") != std::u16string_view::npos; }

std::u16string_view TrimTrailingDotsAndSpaces(std::u16string_view pattern) {
  const size_t last = pattern.find_last_not_of(u". ");
  return pattern.substr(0, last == std::u16string_view::npos ? 0 : last + 1);
}

bool NameMatches(std::u16string_view pattern, std::u16string_view name) {
  if (!HasWildcard(pattern)) return EqualsIgnoringCase(TrimTrailingDotsAndSpaces(pattern), name);
  return MatchExpression(ToDosExpression(FoldCase(pattern)), FoldCase(name));
}

}  // namespace savrin
