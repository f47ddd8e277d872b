#include "rules/text_compare.h"

namespace savrin {

char16_t FoldCase(char16_t c) {
  const auto in = [c](char16_t first, char16_t last) { return c >= first && c <= last; };
  if (in(u'A', u'Z')) return static_cast<char16_t>(c + 0x20);
  if (in(0xFF21, 0xFF3A)) return static_cast<char16_t>(c + 0x20);  // Ａ-Ｚ
  if ((in(0x00C0, 0x00DE) && c != 0x00D7) || in(0x0391, 0x03AB) || in(0x0410, 0x042F)) {
    if (c == 0x03A2) return c;  // no capital final sigma exists at this code point
    return static_cast<char16_t>(c + 0x20);
  }
  if (in(0x0400, 0x040F)) return static_cast<char16_t>(c + 0x50);  // Ѐ-Џ
  return c;
}

bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (FoldCase(text[i]) != FoldCase(prefix[i])) return false;
  }
  return true;
}

bool EqualsFoldingAsciiOnly(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  const auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace savrin
