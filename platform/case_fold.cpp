#include "platform/case_fold.h"

namespace savrin {
namespace {

// kUpperPageOf and kUpperDelta, made from the Unicode Character Database by
// tools/make_case_table.py and committed, so that no build needs the database.
#include "platform/upper_case_table.inc"

}  // namespace

char16_t FoldCase(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  return static_cast<char16_t>(c + kUpperDelta[kUpperPageOf[c >> 8]][c & 0xFF]);
}

std::u16string FoldCase(std::u16string_view text) {
  std::u16string folded(text);
  for (char16_t& c : folded) c = FoldCase(c);
  return folded;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace savrin
