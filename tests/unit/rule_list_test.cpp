#include "rules/rule_list.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace savrin {
namespace {

// A display that keeps its own copy the way the list view does, so every test
// can check that what the user would see matches the list.
class MirrorDisplay : public RuleListDisplay {
 public:
  struct Row {
    SortRule rule;
    uint32_t states = 0;
  };
  std::vector<Row> rows;
  std::vector<int> ensuredVisible;

  void RowInserted(int index, const SortRule& rule) override { rows.insert(rows.begin() + index, Row{rule, 0}); }
  void RowDeleted(int index) override { rows.erase(rows.begin() + index); }
  void AllRowsDeleted() override { rows.clear(); }
  void TextChanged(int index, int column, const std::u16string& text) override {
    SortRule& rule = rows[static_cast<size_t>(index)].rule;
    (column == 0 ? rule.Source : column == 1 ? rule.Destination : rule.Pattern) = text;
  }
  void StatesChanged(int index, uint32_t states) override { rows[static_cast<size_t>(index)].states = states; }
  void EnsureVisible(int index) override { ensuredVisible.push_back(index); }
};

class NoticeLog : public RuleListObserver {
 public:
  std::vector<int> changed;
  std::vector<unsigned> keys;
  void RuleChanged(int index) override { changed.push_back(index); }
  void RuleListKeyDown(unsigned key) override { keys.push_back(key); }
};

class RuleListTest : public ::testing::Test {
 protected:
  RuleListTest() {
    list.SetDisplay(&display);
    list.SetObserver(&notices);
  }
  void TearDown() override {
    // Whatever a test did, the display shows exactly the list.
    ASSERT_EQ(display.rows.size(), static_cast<size_t>(list.GetCount()));
    for (int i = 0; i < list.GetCount(); ++i) {
      EXPECT_EQ(display.rows[static_cast<size_t>(i)].rule.Source, list.GetText(i, kSourceColumn)) << i;
      EXPECT_EQ(display.rows[static_cast<size_t>(i)].rule.Destination, list.GetText(i, kDestinationColumn)) << i;
      EXPECT_EQ(display.rows[static_cast<size_t>(i)].rule.Pattern, list.GetText(i, kPatternColumn)) << i;
      EXPECT_EQ(display.rows[static_cast<size_t>(i)].states, list.GetStates(i)) << i;
    }
  }
  void AddRules(std::initializer_list<const char16_t*> sources) {
    for (const char16_t* source : sources) list.InsertRule(list.GetCount(), source);
  }
  std::vector<std::u16string> Sources() const {
    std::vector<std::u16string> sources;
    for (int i = 0; i < list.GetCount(); ++i) sources.push_back(list.GetText(i, kSourceColumn));
    return sources;
  }

  MirrorDisplay display;
  NoticeLog notices;
  RuleList list;
};

TEST_F(RuleListTest, EmptyListReadsAsNothing) {
  EXPECT_EQ(list.GetCount(), 0);
  EXPECT_EQ(list.GetNextSelected(-1), -1);
  EXPECT_EQ(list.GetText(0, kSourceColumn), u"");
  EXPECT_EQ(list.GetWord(0), 0u);
  EXPECT_EQ(list.InsertRule(0, u"C:\\in"), 0);
  EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(RuleListTest, InsertPastTheEndAppendsAndNewRowsHaveNoStates) {
  AddRules({u"A", u"B", u"C"});
  EXPECT_EQ(list.InsertRule(5, u"D"), 3);
  EXPECT_EQ(list.InsertRule(-3, u"E"), 4);
  EXPECT_EQ(Sources(), (std::vector<std::u16string>{u"A", u"B", u"C", u"D", u"E"}));
  EXPECT_EQ(list.GetStates(3), 0u);
  EXPECT_EQ(list.GetText(3, kDestinationColumn), u"");
  EXPECT_EQ(list.GetWord(3), 0u);
  EXPECT_TRUE(notices.changed.empty()) << "insertions give no notice";
}

TEST_F(RuleListTest, StatesBelongToPositionsAndShiftWithInsertAndDelete) {
  AddRules({u"A", u"B", u"C"});
  list.SetState(1, kSelected, kSelected);
  list.SetState(2, kSelected, kSelected);
  list.InsertRule(1, u"N");
  EXPECT_FALSE(list.IsSelected(1));
  EXPECT_TRUE(list.IsSelected(2));
  EXPECT_TRUE(list.IsSelected(3));
  EXPECT_EQ(list.GetText(2, kSourceColumn), u"B");

  list.DeleteRule(0);
  EXPECT_EQ(list.GetNextSelected(-1), 1);
  EXPECT_EQ(list.GetNextSelected(1), 2);
  EXPECT_EQ(list.GetNextSelected(2), -1);

  list.SetText(1, kPatternColumn, u"*.txt");
  list.SetWord(1, 65537);
  EXPECT_TRUE(list.IsSelected(1)) << "texts and words leave states alone";
}

TEST_F(RuleListTest, FocusMovesAndEveryRealChangeIsReported) {
  AddRules({u"0", u"1", u"2", u"3", u"4"});
  list.SetState(1, kFocused, kFocused);
  notices.changed.clear();
  list.SetState(4, kFocused, kFocused);
  EXPECT_EQ(notices.changed, (std::vector<int>{1, 4}));
  EXPECT_EQ(list.GetStates(1), 0u);
  EXPECT_EQ(list.GetStates(4), static_cast<uint32_t>(kFocused));

  notices.changed.clear();
  list.SetState(4, kFocused | kSelected, kFocused);  // focus already there; selection not in the mask
  list.SetState(2, 0, kSelected);
  EXPECT_TRUE(notices.changed.empty()) << "no change, no notice";

  list.SetState(4, kSelected | kFocused, kSelected | kFocused);
  list.SetState(7, kSelected, kSelected);
  list.SetState(-1, kSelected, kSelected);
  EXPECT_EQ(notices.changed, std::vector<int>{4});
}

TEST_F(RuleListTest, FindNextBySourceIsAPrefixSearchThatDoesNotWrap) {
  AddRules({u"C:\\data\\old", u"D:\\x", u"c:\\Data", u"C:\\database"});
  EXPECT_EQ(list.FindNextBySource(-1, u"c:\\DATA"), 0);
  EXPECT_EQ(list.FindNextBySource(0, u"c:\\DATA"), 2);
  EXPECT_EQ(list.FindNextBySource(2, u"c:\\DATA"), 3);
  EXPECT_EQ(list.FindNextBySource(3, u"c:\\DATA"), -1);
  EXPECT_EQ(list.FindNextBySource(-1, u"C:\\data\\old\\deeper"), -1);
}

TEST_F(RuleListTest, FullWidthAndJapaneseSourcesAreFound) {
  AddRules({u"Ｃ:\\データ\\受信"});
  EXPECT_EQ(list.FindNextBySource(-1, u"ｃ:\\データ"), 0);
  EXPECT_EQ(list.FindNextBySource(-1, u"ｃ:\\デー夕"), -1);
}

TEST_F(RuleListTest, TextsOverTheLimitNeverEnterTheList) {
  const std::u16string longText(300, u'x');
  list.InsertRule(0, longText);
  list.SetText(0, kDestinationColumn, longText);
  EXPECT_EQ(list.GetText(0, kSourceColumn).size(), kMaxTextLength);
  EXPECT_EQ(list.GetText(0, kDestinationColumn).size(), kMaxTextLength);
}

TEST_F(RuleListTest, OutOfRangeOperationsChangeNothing) {
  AddRules({u"A"});
  list.SetText(1, kSourceColumn, u"X");
  list.SetText(0, 3, u"X");
  list.SetWord(-1, 5);
  list.DeleteRule(1);
  list.EnsureVisible(1);
  EXPECT_EQ(Sources(), std::vector<std::u16string>{u"A"});
  EXPECT_TRUE(display.ensuredVisible.empty());
  list.EnsureVisible(0);
  EXPECT_EQ(display.ensuredVisible, std::vector<int>{0});
  list.DeleteAll();
  EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(RuleListTest, KeysReachTheObserver) {
  list.NotifyKeyDown(0x26);
  EXPECT_EQ(notices.keys, std::vector<unsigned>{0x26});
}

TEST(ConditionWord, PacksAndReadsBackThreeBitsPerField) {
  EXPECT_EQ(BuildConditionWord(0, 0, 0), 0u);
  EXPECT_EQ(BuildConditionWord(1, 1, 1), 65793u);
  EXPECT_EQ(BuildConditionWord(1, 0, 1), 65537u);
  EXPECT_EQ(FormMethodIndex(65537), 1);
  EXPECT_EQ(FormCollisionIndex(65537), 0);
  EXPECT_TRUE(HasWildcardFlag(65537));

  const ConditionWord method9 = 9u << 16;
  EXPECT_EQ(FormMethodIndex(method9), 1) << "the form reads three bits";
  EXPECT_TRUE(CopiesFiles(method9)) << "the pass tests the whole byte";
  EXPECT_FALSE(CopiesFiles(0x01000000)) << "bits 24-31 are no method";
  EXPECT_TRUE(RenamesOnCollision(BuildConditionWord(1, 0, 1)));
  EXPECT_FALSE(RenamesOnCollision(0x0800));
}

}  // namespace
}  // namespace savrin
