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

// FindFirstFileW's rewriting of a pattern before it matches: "*.*" is "*";
// every '?' is DOS_QM; a '*' before a dot is DOS_STAR; a dot before '?', '*'
// or the end is DOS_DOT; and a DOS_DOT left at the end goes (so "*." is
// DOS_STAR alone, which takes exactly the names without a dot).
std::u16string ToDosExpression(std::u16string_view pattern) {
  std::u16string trimmed(pattern);
  while (!trimmed.empty() && trimmed.back() == u'.') trimmed.pop_back();
  if (trimmed == u"*.*") return u"*";
  std::u16string expression(pattern);
  for (size_t i = 0; i < expression.size(); ++i) {
    const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
    if (pattern[i] == u'?') {
      expression[i] = kDosQm;
    } else if (pattern[i] == u'*' && next == u'.') {
      expression[i] = kDosStar;
    } else if (pattern[i] == u'.' && (next == u'?' || next == u'*' || next == u'\0')) {
      expression[i] = kDosDot;
    }
  }
  while (!expression.empty() && expression.back() == kDosDot) expression.pop_back();
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

bool NameMatches(std::u16string_view pattern, std::u16string_view name) {
  if (!HasWildcard(pattern)) return EqualsIgnoringCase(pattern, name);
  return MatchExpression(ToDosExpression(FoldCase(pattern)), FoldCase(name));
}

}  // namespace savrin
