#include "rules/pattern_history.h"

#include <gtest/gtest.h>

#include "rules/sort_rule.h"
#include "rules/text_compare.h"

namespace savrin {
namespace {

class ComboDouble : public PatternHistoryDisplay {
 public:
  std::vector<std::u16string> entries;
  int selection = -1;
  void EntryAppended(const std::u16string& text) override { entries.push_back(text); }
  void EntryRemoved(int index) override { entries.erase(entries.begin() + index); }
  int CurrentSelection() const override { return selection; }
};

TEST(PatternHistory, KeepsOrderAndMirrorsTheDropDown) {
  ComboDouble combo;
  PatternHistory history;
  history.SetDisplay(&combo);
  history.Append(u"*.txt");
  history.Append(u"report2.txt");
  history.Append(u"*.txt");  // the list itself takes duplicates
  history.RemoveAt(0);
  history.RemoveAt(5);
  EXPECT_EQ(history.Entries(), (std::vector<std::u16string>{u"report2.txt", u"*.txt"}));
  EXPECT_EQ(combo.entries, history.Entries());
}

TEST(PatternHistory, FindPrefixIgnoresCase) {
  PatternHistory history;
  history.Append(u"report2.txt");
  history.Append(u"*.TXT");
  EXPECT_EQ(history.FindPrefix(u"Report"), 0);
  EXPECT_EQ(history.FindPrefix(u"*.t"), 1);
  EXPECT_EQ(history.FindPrefix(u"report.txt"), -1);
  EXPECT_EQ(history.FindPrefix(u""), 0) << "every entry begins with the empty text";
}

TEST(PatternHistory, SelectionComesFromTheDropDownAndIsBounded) {
  ComboDouble combo;
  PatternHistory history;
  EXPECT_EQ(history.GetSelection(), -1);
  history.SetDisplay(&combo);
  history.Append(u"a");
  combo.selection = 0;
  EXPECT_EQ(history.GetSelection(), 0);
  combo.selection = 3;
  EXPECT_EQ(history.GetSelection(), -1);
}

TEST(PatternHistory, LongTextsAreCut) {
  PatternHistory history;
  history.Append(std::u16string(261, u'a'));
  ASSERT_EQ(history.GetCount(), 1);
  EXPECT_EQ(history.Entries()[0], std::u16string(kMaxTextLength, u'a'));
}

TEST(TextCompare, FoldsLettersOfSeveralScriptsButNotJapanese) {
  EXPECT_TRUE(StartsWithIgnoringCase(u"ÄBCΣЖЀ", u"äbcσжѐ"));
  EXPECT_TRUE(StartsWithIgnoringCase(u"ＡＢＣ", u"ａｂ"));
  EXPECT_FALSE(StartsWithIgnoringCase(u"ア", u"ｱ"));
  EXPECT_FALSE(StartsWithIgnoringCase(u"×", u"÷"));
  EXPECT_FALSE(StartsWithIgnoringCase(u"ab", u"abc"));
}

TEST(TextCompare, DuplicateEqualityFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(EqualsFoldingAsciiOnly(u"C:\\In\\A.TXT", u"c:\\in\\a.txt"));
  EXPECT_FALSE(EqualsFoldingAsciiOnly(u"ＡＢＣ", u"ａｂｃ"));
  EXPECT_FALSE(EqualsFoldingAsciiOnly(u"Ä", u"ä"));
  EXPECT_FALSE(EqualsFoldingAsciiOnly(u"abc", u"abcd"));
}

}  // namespace
}  // namespace savrin
