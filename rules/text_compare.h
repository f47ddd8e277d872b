#pragma once
#include <string_view>

namespace savrin {

// True when `text` begins with `prefix`, letter case ignored as file names
// ignore it (platform/case_fold.h); Japanese has no case and must match.
bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix);

// Equality that folds only A-Z to a-z: the duplicate test of new rules, where
// full-width letters and every other character must match exactly.
bool EqualsFoldingAsciiOnly(std::u16string_view a, std::u16string_view b);

}  // namespace savrin
