#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/case_fold.h"

// The table against the platform's own comparison of names, for every unit
// of the BMP: what it folds together the platform holds equal, and what the
// platform upper-cases to another unit it folds the same.

namespace savrin {
namespace {

bool PlatformEqual(wchar_t a, wchar_t b) { return ::CompareStringOrdinal(&a, 1, &b, 1, TRUE) == CSTR_EQUAL; }

TEST(FoldCaseOnWindows, AgreesWithCompareStringOrdinalForEveryUnitOfTheBmp) {
  std::string disagreements;
  int count = 0;
  for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
    const wchar_t c = static_cast<wchar_t>(unit);
    const wchar_t folded = static_cast<wchar_t>(FoldCase(static_cast<char16_t>(unit)));
    wchar_t upper = c;
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &c, 1, &upper, 1, nullptr, nullptr, 0);
    const bool weMissOne = upper != c && PlatformEqual(c, upper) && folded != FoldCase(static_cast<char16_t>(upper));
    if (!PlatformEqual(c, folded) || weMissOne) {
      if (++count <= 40) {
        char line[64];
        std::snprintf(line, sizeof line, " U+%04X(ours U+%04X, platform U+%04X)", unit, unsigned(folded),
                      unsigned(upper));
        disagreements += line;
      }
    }
  }
  EXPECT_EQ(count, 0) << "units the platform compares otherwise:" << disagreements;
}

}  // namespace
}  // namespace savrin
