#include "rules/rule_commands.h"

#include <gtest/gtest.h>

#include <deque>

#include "res/resource.h"

namespace savrin {
namespace {

class FakeWindow : public RuleCommandHost {
 public:
  std::vector<std::string> log;  // "read", "write", "save", "box"
  std::vector<TextId> boxes;  // by string-table number; the words are pinned end to end
  std::vector<PromptButtons> boxButtons;
  std::deque<PromptAnswer> answers;
  bool altDown = false;

  PromptAnswer Prompt(TextId text, PromptButtons buttons) override {
    log.push_back("box");
    boxes.push_back(text);
    boxButtons.push_back(buttons);
    if (!answers.empty()) {
      const PromptAnswer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
  }
  void ReadForm() override { log.push_back("read"); }
  void WriteForm() override { log.push_back("write"); }
  void SaveAllSettings() override { log.push_back("save"); }
  bool PathExists(const std::u16string&) override { return true; }
  bool IsAltDown() override { return altDown; }
  int Saves() const { return static_cast<int>(std::count(log.begin(), log.end(), "save")); }
};

class RuleCommandsTest : public ::testing::Test {
 protected:
  RuleCommandsTest() { rules.SetObserver(&commands); }

  void AddRules(std::initializer_list<const char16_t*> sources) {
    for (const char16_t* source : sources) {
      const int row = rules.InsertRule(rules.GetCount(), source);
      rules.SetText(row, kDestinationColumn, std::u16string(u"D:\\") + source);
      rules.SetText(row, kPatternColumn, u"*.txt");
      rules.SetWord(row, static_cast<ConditionWord>(row + 1));
    }
  }
  void Select(std::initializer_list<int> rows) {
    for (int row : rows) rules.SetState(row, kSelected, kSelected);
    window.log.clear();
  }
  std::u16string Order() const {
    std::u16string order;
    for (int i = 0; i < rules.GetCount(); ++i) order += rules.GetText(i, kSourceColumn);
    return order;
  }
  std::vector<int> SelectedRows() const {
    std::vector<int> rows;
    for (int row = rules.GetNextSelected(-1); row != -1; row = rules.GetNextSelected(row)) rows.push_back(row);
    return rows;
  }
  int FocusedRow() const {
    for (int i = 0; i < rules.GetCount(); ++i) {
      if (rules.GetStates(i) & kFocused) return i;
    }
    return -1;
  }
  void FillForm(const char16_t* source, const char16_t* destination, const char16_t* condition) {
    form.SourceText = source;
    form.DestinationText = destination;
    form.ConditionText = condition;
  }

  RuleList rules;
  PatternHistory history;
  MainForm form;
  FakeWindow window;
  RuleCommands commands{rules, history, form, window};
};

TEST_F(RuleCommandsTest, AddGoesInFrontOfTheFirstSelectedRuleUnlessItIsTheLast) {
  AddRules({u"A", u"B", u"C", u"D", u"E"});
  FillForm(u"C:\\N", u"D:\\N", u"n.txt");
  commands.OnAddRule();
  EXPECT_EQ(Order(), u"ABCDEC:\\N") << "nothing selected: appended";

  rules.DeleteRule(5);
  Select({1, 3});  // selecting loads the rules into the form, so fill it afterwards
  FillForm(u"C:\\N", u"D:\\N", u"n.txt");
  commands.OnAddRule();
  EXPECT_EQ(Order(), u"AC:\\NBCDE");
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 4})) << "selected rows shift down, the new one is not selected";

  rules.DeleteRule(1);
  rules.SetState(1, 0, kSelected);
  rules.SetState(3, 0, kSelected);
  Select({4});
  FillForm(u"C:\\N", u"D:\\N", u"n.txt");
  commands.OnAddRule();
  EXPECT_EQ(Order(), u"ABCDEC:\\N") << "only the last row selected: appended after it";
  EXPECT_EQ(window.log.back(), "save");
}

TEST_F(RuleCommandsTest, AddBuildsTheWordAndRemembersTheConditionByPrefix) {
  history.Append(u"report.txt.bak");
  FillForm(u"C:\\in", u"D:\\out", u"*.pdf");
  form.MethodIndex = 1;
  form.CollisionIndex = 1;
  commands.OnAddRule();
  ASSERT_EQ(rules.GetCount(), 1);
  EXPECT_EQ(rules.GetWord(0), 65793u);
  EXPECT_EQ(rules.GetText(0, kPatternColumn), u"*.pdf");
  EXPECT_EQ(window.boxes, std::vector<TextId>{IDS_CONFIRM_WILDCARD});
  EXPECT_EQ(window.boxButtons.back(), PromptButtons::OkCancel);

  FillForm(u"C:\\in", u"D:\\out", u"report.txt");
  form.MethodIndex = 0;
  form.CollisionIndex = 0;
  commands.OnAddRule();
  EXPECT_EQ(rules.GetWord(1), 0u);
  EXPECT_EQ(history.Entries(), (std::vector<std::u16string>{u"report.txt.bak", u"*.pdf"}));

  FillForm(u"C:\\in", u"D:\\x", u"REPORT.TXT");
  commands.OnAddRule();
  EXPECT_EQ(history.GetCount(), 2) << "REPORT.TXT begins like report.txt.bak: not added";
}

TEST_F(RuleCommandsTest, AFormWithoutAChoiceNeverMeansOverwrite) {
  FillForm(u"C:\\in", u"D:\\out", u"a.txt");
  form.MethodIndex = -1;
  form.CollisionIndex = -1;
  commands.OnAddRule();
  EXPECT_EQ(rules.GetWord(0), 0u);
}

TEST_F(RuleCommandsTest, DuplicateTestFoldsOnlyAsciiLettersAndIgnoresTheWord) {
  const int row = rules.InsertRule(0, u"c:\\in");
  rules.SetText(row, kDestinationColumn, u"d:\\out");
  rules.SetText(row, kPatternColumn, u"a.txt");
  rules.SetWord(row, 65793);

  FillForm(u"C:\\In", u"D:\\Out", u"A.TXT");
  commands.OnAddRule();
  EXPECT_EQ(window.boxes, std::vector<TextId>{IDS_DUPLICATE_RULE});
  EXPECT_EQ(window.boxButtons.back(), PromptButtons::Ok);
  EXPECT_EQ(rules.GetCount(), 1);
  EXPECT_EQ(window.Saves(), 0);

  // The prefix search reaches C:\input too, but only equal texts count.
  rules.InsertRule(0, u"C:\\input");
  FillForm(u"C:\\In", u"D:\\Out", u"Ａ.txt");  // full-width A must not fold
  window.boxes.clear();
  commands.OnAddRule();
  EXPECT_EQ(rules.GetCount(), 3);
}

TEST_F(RuleCommandsTest, RefusedValidationChangesNothingAndSavesNothing) {
  FillForm(u"C:\\in", u"D:\\out", u"*.txt");
  window.answers = {PromptAnswer::Cancel};
  commands.OnAddRule();
  EXPECT_EQ(rules.GetCount(), 0);
  EXPECT_EQ(history.GetCount(), 0);
  EXPECT_EQ(window.Saves(), 0);
}

TEST_F(RuleCommandsTest, ModifyChangesOnlyTheFirstSelectedRule) {
  AddRules({u"A", u"B", u"C", u"D", u"E"});
  commands.OnModifyRule();
  EXPECT_EQ(window.boxes, std::vector<TextId>{IDS_SELECT_RULE_TO_MODIFY});
  EXPECT_EQ(window.boxButtons.back(), PromptButtons::Ok);
  EXPECT_EQ(window.Saves(), 0);

  Select({2, 4});
  FillForm(u"C:\\A", u"D:\\out", u"b.txt");  // a copy of nothing in particular; no duplicate test here
  commands.OnModifyRule();
  EXPECT_EQ(Order(), u"ABC:\\ADE");
  EXPECT_EQ(rules.GetText(4, kSourceColumn), u"E");
  EXPECT_EQ(window.Saves(), 1);
}

TEST_F(RuleCommandsTest, DeleteRemovesEverySelectedRuleAndSelectsTheFollower) {
  AddRules({u"A", u"B", u"C", u"D", u"E"});
  Select({1, 3});
  commands.OnDeleteRule();
  EXPECT_EQ(window.boxes, std::vector<TextId>{IDS_CONFIRM_DELETE});
  EXPECT_EQ(window.boxButtons.back(), PromptButtons::YesNo);
  EXPECT_EQ(Order(), u"ACE");
  EXPECT_EQ(SelectedRows(), std::vector<int>{1});
  EXPECT_EQ(FocusedRow(), 1);
  EXPECT_EQ(form.SourceText, u"C") << "the new selection is loaded into the form";
  EXPECT_EQ(form.DestinationText, u"D:\\C");
}

TEST_F(RuleCommandsTest, DeleteOfTheLastTwoSelectsTheNewLastRow) {
  AddRules({u"A", u"B", u"C", u"D", u"E"});
  Select({3, 4});
  commands.OnDeleteRule();
  EXPECT_EQ(Order(), u"ABC");
  EXPECT_EQ(SelectedRows(), std::vector<int>{2});
  EXPECT_EQ(FocusedRow(), 2);
}

TEST_F(RuleCommandsTest, DeleteAnsweredNoOrWithNothingSelectedChangesNothing) {
  AddRules({u"A", u"B"});
  commands.OnDeleteRule();
  EXPECT_EQ(window.boxes, std::vector<TextId>{IDS_SELECT_RULES_TO_DELETE});
  EXPECT_EQ(window.boxButtons.back(), PromptButtons::Ok);
  Select({0});
  window.answers = {PromptAnswer::No};
  commands.OnDeleteRule();
  EXPECT_EQ(Order(), u"AB");
  EXPECT_EQ(window.Saves(), 0);

  Select({0, 1});
  commands.OnDeleteRule();
  EXPECT_EQ(rules.GetCount(), 0);
  EXPECT_EQ(SelectedRows(), std::vector<int>{});
  EXPECT_EQ(window.Saves(), 1);
}

TEST_F(RuleCommandsTest, MoveUpCarriesSelectionAndWordsAndFocusesTheTopmost) {
  AddRules({u"A", u"B", u"C", u"D", u"E"});
  Select({1, 3});
  commands.OnMoveRulesUp();
  EXPECT_EQ(Order(), u"BADCE");
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 2}));
  EXPECT_EQ(FocusedRow(), 0);
  EXPECT_EQ(rules.GetWord(0), 2u) << "words travel with their rules";
  EXPECT_EQ(rules.GetText(0, kDestinationColumn), u"D:\\B");
  EXPECT_EQ(form.SourceText, u"B") << "the last notice loads the topmost moved rule";
  EXPECT_EQ(window.log.back(), "save");
}

TEST_F(RuleCommandsTest, MoveUpOfAdjacentRows) {
  AddRules({u"A", u"B", u"C", u"D"});
  Select({1, 2});
  commands.OnMoveRulesUp();
  EXPECT_EQ(Order(), u"BCAD");
  EXPECT_EQ(SelectedRows(), (std::vector<int>{0, 1}));
  EXPECT_EQ(FocusedRow(), 0);
}

TEST_F(RuleCommandsTest, MoveUpWithTheFirstRowSelectedMovesNothingButSaves) {
  AddRules({u"A", u"B", u"C"});
  rules.SetState(1, kFocused, kFocused);
  Select({0, 2});
  commands.OnMoveRulesUp();
  EXPECT_EQ(Order(), u"ABC");
  EXPECT_EQ(FocusedRow(), 1) << "focus stays where it was";
  EXPECT_EQ(window.Saves(), 1);
}

TEST_F(RuleCommandsTest, MoveDownCarriesSelectionAndFocusesTheTopmost) {
  AddRules({u"A", u"B", u"C", u"D", u"E"});
  Select({1, 3});
  commands.OnMoveRulesDown();
  EXPECT_EQ(Order(), u"ACBED");
  EXPECT_EQ(SelectedRows(), (std::vector<int>{2, 4}));
  EXPECT_EQ(FocusedRow(), 2);
  EXPECT_EQ(form.SourceText, u"B");
}

TEST_F(RuleCommandsTest, MoveDownWithTheLastRowSelectedMovesNothingButStillMovesTheFocus) {
  AddRules({u"A", u"B", u"C", u"D", u"E"});
  Select({2, 4});
  commands.OnMoveRulesDown();
  EXPECT_EQ(Order(), u"ABCDE");
  EXPECT_EQ(FocusedRow(), 3) << "one below the topmost selected row";
  EXPECT_EQ(window.Saves(), 1);

  rules.SetState(2, 0, kSelected);
  rules.SetState(4, 0, kSelected);
  commands.OnMoveRulesDown();
  EXPECT_EQ(FocusedRow(), 0) << "nothing selected: row 0";
}

TEST_F(RuleCommandsTest, PatternButtonsAlwaysSave) {
  form.ConditionText = u"";
  commands.OnAddPattern();
  EXPECT_EQ(history.GetCount(), 0);
  form.ConditionText = u"*.txt";
  commands.OnAddPattern();
  commands.OnAddPattern();
  EXPECT_EQ(history.GetCount(), 1);
  commands.OnDeletePattern();  // nothing selected in the drop-down
  EXPECT_EQ(history.GetCount(), 1);
  EXPECT_EQ(window.Saves(), 4);
}

TEST_F(RuleCommandsTest, ListKeysActLikeTheButtons) {
  AddRules({u"A", u"B", u"C"});
  Select({1});
  window.altDown = true;
  commands.RuleListKeyDown(kKeyUp);
  EXPECT_EQ(Order(), u"BAC");
  commands.RuleListKeyDown(kKeyDown);
  EXPECT_EQ(Order(), u"ABC");
  window.log.clear();
  commands.RuleListKeyDown('X');
  EXPECT_TRUE(window.log.empty()) << "Alt with another key does nothing";

  window.altDown = false;
  commands.RuleListKeyDown(kKeyDown);
  EXPECT_EQ(Order(), u"ABC") << "a plain arrow is the list's own";
  EXPECT_EQ(window.log, (std::vector<std::string>{"write", "read", "save"}));
  EXPECT_EQ(form.SourceText, u"B");

  commands.RuleListKeyDown(kKeyDelete);
  EXPECT_EQ(Order(), u"AC");
}

TEST_F(RuleCommandsTest, DeleteKeyWithNothingSelectedAsksForASelection) {
  AddRules({u"A"});
  commands.RuleListKeyDown(kKeyDelete);
  EXPECT_EQ(window.boxes, std::vector<TextId>{IDS_SELECT_RULES_TO_DELETE});
  EXPECT_EQ(window.boxButtons.back(), PromptButtons::Ok);
  window.log.clear();
  commands.RuleListKeyDown('A');
  EXPECT_TRUE(window.log.empty()) << "no selection, nothing to load or save";
}

TEST_F(RuleCommandsTest, LoadingARuleReadsThreeBitsOfEachField) {
  const int row = rules.InsertRule(0, u"C:\\in");
  rules.SetWord(row, (9u << 16) | (2u << 8) | 1u);
  rules.SetState(row, kSelected, kSelected);
  EXPECT_EQ(form.MethodIndex, 1);
  EXPECT_EQ(form.CollisionIndex, 2);
  window.log.clear();
  form.SourceText = u"typed since";
  commands.RuleChanged(-1);
  EXPECT_TRUE(window.log.empty()) << "a notice for all rows is ignored";
  EXPECT_EQ(form.SourceText, u"typed since");
}

}  // namespace
}  // namespace savrin
