#pragma once
#include <string_view>

namespace savrin {

// Letter case as the list and history searches ignore it: ASCII, full-width
// Latin, Latin-1, Greek and Cyrillic capitals fold to their small letters.
// Japanese has no case and passes through unchanged.
char16_t FoldCase(char16_t c);

// True when `text` begins with `prefix`, letter case ignored as above.
bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix);

// Equality that folds only A-Z to a-z: the duplicate test of new rules, where
// full-width letters and every other character must match exactly.
bool EqualsFoldingAsciiOnly(std::u16string_view a, std::u16string_view b);

}  // namespace savrin
