#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace savrin {
namespace {

TEST(FoldCase, FoldsTheLetterRangesItDocuments) {
  const struct {
    char16_t lower;
    char16_t upper;
  } pairs[] = {
      {u'a', u'A'}, {u'z', u'Z'}, {u'à', u'À'}, {u'þ', u'Þ'}, {u'ÿ', u'Ÿ'},  {u'ā', u'Ā'},
      {u'ĳ', u'Ĳ'}, {u'ĺ', u'Ĺ'}, {u'ň', u'Ň'}, {u'ŋ', u'Ŋ'}, {u'ž', u'Ž'},  {u'α', u'Α'},
      {u'ω', u'Ω'}, {u'ς', u'Σ'}, {u'а', u'А'}, {u'я', u'Я'}, {u'ё', u'Ё'},  {u'џ', u'Џ'},
      {u'ａ', u'Ａ'}, {u'ｚ', u'Ｚ'},
  };
  for (const auto& pair : pairs) {
    EXPECT_EQ(FoldCase(pair.lower), FoldCase(pair.upper)) << int(pair.lower);
    EXPECT_EQ(FoldCase(pair.lower), pair.upper) << int(pair.lower);
  }
}

TEST(FoldCase, LeavesEverythingElseAlone) {
  for (char16_t c : u"0-9_.~ ÷×ßıĸŉſ@[`{あアｱ漢字\uFF20\uFF3B\uFF40\uFF5B") EXPECT_EQ(FoldCase(c), c) << int(c);
  EXPECT_NE(FoldCase(u'ı'), FoldCase(u'I')) << "dotless i is not folded";
}

TEST(EqualsIgnoringCase, ComparesWholeNames) {
  EXPECT_TRUE(EqualsIgnoringCase(u"Report.PDF", u"report.pdf"));
  EXPECT_TRUE(EqualsIgnoringCase(u"ＲＥＰＯＲＴ", u"ｒｅｐｏｒｔ"));
  EXPECT_FALSE(EqualsIgnoringCase(u"report.pdf", u"report.pd"));
  EXPECT_FALSE(EqualsIgnoringCase(u"ＲＥＰＯＲＴ", u"REPORT")) << "full width is not ASCII";
}

}  // namespace
}  // namespace savrin
