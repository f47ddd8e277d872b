#pragma once
#include <string>
#include <string_view>

namespace savrin {

// Names compare without regard to case as the file system compares them:
// each UTF-16 unit is upper-cased on its own, one unit to one, by Unicode's
// simple uppercase mapping where the two form a case pair (the upper case's
// own lower case is the unit), as Windows' upcase table and
// CompareStringOrdinal(..., TRUE) have it: so final sigma, dotless i, long s,
// the micro sign and titlecase letters are not folded. The table is made from
// the Unicode Character Database when the project is built
// (tools/make_case_table.py); a Windows test checks every unit of the BMP
// against CompareStringOrdinal. Kana, kanji and
// everything else without a case compare as they are; a surrogate is left
// alone, so a character outside the BMP compares exactly. Where this table and
// the file system's disagree nothing is lost: a collision the table misses is
// still refused by the no-replace move itself.
char16_t FoldCase(char16_t c);
std::u16string FoldCase(std::u16string_view text);
bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace savrin
