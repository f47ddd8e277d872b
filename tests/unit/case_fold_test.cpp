#include "platform/case_fold.h"

#include <gtest/gtest.h>

namespace savrin {
namespace {

TEST(FoldCase, UpperCasesEveryScriptThatHasCase) {
  const struct {
    char16_t lower;
    char16_t upper;
  } pairs[] = {
      {u'a', u'A'}, {u'z', u'Z'}, {u'à', u'À'}, {u'þ', u'Þ'}, {u'ÿ', u'Ÿ'}, {u'ā', u'Ā'}, {u'ĳ', u'Ĳ'},
      {u'ž', u'Ž'}, {u'α', u'Α'}, {u'ω', u'Ω'}, {u'σ', u'Σ'}, {u'а', u'А'}, {u'я', u'Я'}, {u'ё', u'Ё'},
      {u'ａ', u'Ａ'}, {u'ｚ', u'Ｚ'},
      // What a typed table missed: accented Greek, Ukrainian ґ, Latin Extended-B
      // (Romanian ș, ț; Pinyin ǎ) and Additional (Vietnamese ạ, ế), Armenian.
      {u'ά', u'Ά'}, {u'ώ', u'Ώ'}, {u'ϊ', u'Ϊ'}, {u'ґ', u'Ґ'}, {u'ș', u'Ș'}, {u'ț', u'Ț'}, {u'ǎ', u'Ǎ'},
      {u'ạ', u'Ạ'}, {u'ế', u'Ế'}, {u'ա', u'Ա'}, {u'ǆ', u'Ǆ'},
  };
  for (const auto& pair : pairs) {
    EXPECT_EQ(FoldCase(pair.lower), pair.upper) << int(pair.lower);
    EXPECT_EQ(FoldCase(pair.upper), pair.upper) << int(pair.upper);
  }
}

TEST(FoldCase, LeavesWhatHasNoSimpleUpperCaseAlone) {
  // ß has no upper case of one unit; surrogate halves are no letters. Final
  // sigma, dotless i, long s, the micro sign and titlecase ǅ upper-case in
  // Unicode to letters whose lower case is another: the file system keeps
  // them apart.
  for (char16_t c : u"0-9_.~ ÷×ßĸŉ@[`{あアｱ漢字\uFF20\uFF3B\uFF40\uFF5B\U0001F4C1\uFFFFςıſµǅ") {
    EXPECT_EQ(FoldCase(c), c) << int(c);
  }
}

TEST(EqualsIgnoringCase, ComparesWholeNames) {
  EXPECT_TRUE(EqualsIgnoringCase(u"Report.PDF", u"report.pdf"));
  EXPECT_TRUE(EqualsIgnoringCase(u"ＲＥＰＯＲＴ", u"ｒｅｐｏｒｔ"));
  EXPECT_TRUE(EqualsIgnoringCase(u"Άλφα.txt", u"άλφα.TXT"));
  EXPECT_FALSE(EqualsIgnoringCase(u"report.pdf", u"report.pd"));
  EXPECT_FALSE(EqualsIgnoringCase(u"ＲＥＰＯＲＴ", u"REPORT")) << "full width is not ASCII";
  EXPECT_FALSE(EqualsIgnoringCase(u"Straße", u"STRASSE")) << "one unit to one";
}

}  // namespace
}  // namespace savrin
