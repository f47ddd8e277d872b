#pragma once
#include <string>
#include <string_view>

namespace savrin {

// Names compare without regard to case, as NTFS compares them. Folded (to
// upper case, one UTF-16 unit to one) are:
//   ASCII a-z; Latin-1 à-þ (not ÷) and ÿ; Latin Extended-A letter pairs
//   (ā/Ā … ž/Ž, but not ı, ĸ, ŉ, ſ); Greek α-ω and final ς; Cyrillic а-я
//   and ѐ-џ; full-width ａ-ｚ (U+FF41-FF5A to U+FF21-FF3A).
// Everything else, kana and kanji included, compares as it is. Where this
// table and the file system's disagree nothing is lost: a collision the
// table misses is still refused by the no-replace move itself.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view text);
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace savrin
