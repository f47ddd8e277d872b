#include "rules/column_layout.h"

#include <gtest/gtest.h>

namespace savrin {
namespace {

TEST(RuleListColumnWidths, TwoFifthsEachAndTheRestForTheCondition) {
  EXPECT_EQ(RuleListColumnWidths(587), (std::array<int, 3>{234, 234, 119}));
  EXPECT_EQ(RuleListColumnWidths(500), (std::array<int, 3>{200, 200, 100}));
  EXPECT_EQ(RuleListColumnWidths(0), (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(RuleListColumnWidths(4), (std::array<int, 3>{1, 1, 2}));
}

TEST(RuleListColumnWidths, AlwaysAddUpToTheClientWidth) {
  for (int width = 0; width < 2000; ++width) {
    const auto widths = RuleListColumnWidths(width);
    ASSERT_EQ(widths[0] + widths[1] + widths[2], width) << width;
    ASSERT_GE(widths[2], 0) << width;
  }
}

}  // namespace
}  // namespace savrin
