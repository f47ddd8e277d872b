#include "rules/rule_commands.h"

#include <algorithm>

#include "res/resource.h"
#include "rules/text_compare.h"

namespace savrin {

RuleCommands::RuleCommands(RuleList& rules, PatternHistory& history, MainForm& form, RuleCommandHost& host)
    : rules_(rules), history_(history), form_(form), host_(host) {}

void RuleCommands::OnAddRule() {
  host_.ReadForm();
  if (IsDuplicateOfExistingRule()) {
    Tell(IDS_DUPLICATE_RULE);
    return;
  }
  uint32_t wildcardFlag = 0;
  if (!Validate(wildcardFlag)) return;

  // In front of the first selected rule, unless none is selected or it is
  // the last one: then at the end.
  const int selected = rules_.GetNextSelected(-1);
  const int count = rules_.GetCount();
  const int position = selected == -1 || selected == count - 1 ? count : selected;
  rules_.InsertRule(position, form_.SourceText);
  rules_.SetText(position, kDestinationColumn, form_.DestinationText);
  rules_.SetText(position, kPatternColumn, form_.ConditionText);
  rules_.SetWord(position, NewWord(wildcardFlag));
  RememberCondition();
  host_.ReadForm();
  host_.SaveAllSettings();
}

void RuleCommands::OnModifyRule() {
  host_.ReadForm();
  const int selected = rules_.GetNextSelected(-1);
  if (selected == -1) {
    Tell(IDS_SELECT_RULE_TO_MODIFY);
    return;
  }
  uint32_t wildcardFlag = 0;
  if (!Validate(wildcardFlag)) return;
  rules_.SetText(selected, kSourceColumn, form_.SourceText);
  rules_.SetText(selected, kDestinationColumn, form_.DestinationText);
  rules_.SetText(selected, kPatternColumn, form_.ConditionText);
  rules_.SetWord(selected, NewWord(wildcardFlag));
  RememberCondition();
  host_.ReadForm();
  host_.SaveAllSettings();
}

void RuleCommands::OnDeleteRule() {
  const int first = rules_.GetNextSelected(-1);
  if (first == -1) {
    Tell(IDS_SELECT_RULES_TO_DELETE);
    return;
  }
  if (host_.Prompt(IDS_CONFIRM_DELETE, PromptButtons::YesNo) == PromptAnswer::No) return;
  for (int row = rules_.GetCount() - 1; row >= 0; --row) {
    if (rules_.IsSelected(row)) rules_.DeleteRule(row);
  }
  // The rule that followed the topmost deleted one, or the last rule.
  const int remaining = rules_.GetCount();
  if (remaining > 0) rules_.SetState(std::min(first, remaining - 1), kSelected | kFocused, kSelected | kFocused);
  host_.WriteForm();
  host_.ReadForm();
  host_.SaveAllSettings();
}

void RuleCommands::OnMoveRulesUp() {
  int first = -1;
  // Searching downwards from the top, a selected first row ends the loop at
  // once: then nothing moves at all.
  for (int row = rules_.GetNextSelected(-1); row > 0; row = rules_.GetNextSelected(row)) {
    if (first == -1) first = row;
    SwapRules(row, row - 1);
    rules_.SetState(row, 0, kSelected | kFocused);
    rules_.SetState(row - 1, kSelected, kSelected);
  }
  if (first != -1) {
    rules_.EnsureVisible(first - 1);
    rules_.SetState(first - 1, kFocused, kFocused);
  }
  host_.ReadForm();
  host_.SaveAllSettings();
}

void RuleCommands::OnMoveRulesDown() {
  int top = -1;
  // Visiting upwards from the bottom, a selected last row ends the loop at
  // once: then nothing moves at all.
  for (int row = rules_.GetCount() - 1; row >= 0; --row) {
    if (!rules_.IsSelected(row)) continue;
    if (row == rules_.GetCount() - 1) break;
    if (top == -1) {
      top = rules_.GetNextSelected(-1);
      rules_.SetState(top, 0, kFocused);
    }
    SwapRules(row, row + 1);
    rules_.SetState(row, 0, kSelected | kFocused);
    rules_.SetState(row + 1, kSelected, kSelected);
  }
  // Even when nothing moved the focus goes one row below the topmost selected
  // row (row 0 when nothing is selected), as it always has.
  if (top == -1) {
    top = rules_.GetNextSelected(-1);
    rules_.SetState(top, 0, kFocused);
  }
  rules_.EnsureVisible(top + 1);
  rules_.SetState(top + 1, kFocused, kFocused);
  host_.ReadForm();
  host_.SaveAllSettings();
}

void RuleCommands::OnAddPattern() {
  host_.ReadForm();
  if (!form_.ConditionText.empty()) RememberCondition();
  host_.WriteForm();
  host_.ReadForm();
  host_.SaveAllSettings();
}

void RuleCommands::OnDeletePattern() {
  host_.ReadForm();
  const int selected = history_.GetSelection();
  if (selected != -1) history_.RemoveAt(selected);
  host_.WriteForm();
  host_.ReadForm();
  host_.SaveAllSettings();
}

void RuleCommands::LoadRuleIntoForm(int index) {
  form_.SourceText = rules_.GetText(index, kSourceColumn);
  form_.DestinationText = rules_.GetText(index, kDestinationColumn);
  form_.ConditionText = rules_.GetText(index, kPatternColumn);
  form_.MethodIndex = FormMethodIndex(rules_.GetWord(index));
  form_.CollisionIndex = FormCollisionIndex(rules_.GetWord(index));
}

void RuleCommands::RuleChanged(int index) {
  if (index < 0) return;
  LoadRuleIntoForm(index);
  host_.WriteForm();
}

// Comes before the list acts on the key.
void RuleCommands::RuleListKeyDown(unsigned key) {
  const int selected = rules_.GetNextSelected(-1);
  if (host_.IsAltDown()) {
    if (key == kKeyUp) OnMoveRulesUp();
    if (key == kKeyDown) OnMoveRulesDown();
    return;
  }
  if (key == kKeyDelete) {
    OnDeleteRule();
    return;
  }
  if (selected == -1) return;
  LoadRuleIntoForm(selected);
  host_.WriteForm();
  host_.ReadForm();
  host_.SaveAllSettings();
}

bool RuleCommands::IsDuplicateOfExistingRule() const {
  for (int row = rules_.FindNextBySource(-1, form_.SourceText); row != -1;
       row = rules_.FindNextBySource(row, form_.SourceText)) {
    if (EqualsFoldingAsciiOnly(rules_.GetText(row, kSourceColumn), form_.SourceText) &&
        EqualsFoldingAsciiOnly(rules_.GetText(row, kDestinationColumn), form_.DestinationText) &&
        EqualsFoldingAsciiOnly(rules_.GetText(row, kPatternColumn), form_.ConditionText)) {
      return true;
    }
  }
  return false;
}

bool RuleCommands::Validate(uint32_t& wildcardFlag) {
  return ValidateRule({form_.SourceText, form_.DestinationText, form_.ConditionText}, host_,
                      [this](const std::u16string& path) { return host_.PathExists(path); }, wildcardFlag);
}

// A drop-down with nothing selected reads -1, which shifted into the word
// would fill the upper bytes and sort as Copy with Overwrite. Such a form
// counts as the first entries, Move and Rename: no file is overwritten unless
// the user chose it.
ConditionWord RuleCommands::NewWord(uint32_t wildcardFlag) const {
  return BuildConditionWord(std::max(form_.MethodIndex, 0), std::max(form_.CollisionIndex, 0), wildcardFlag);
}

// A prefix test, not equality: with report.txt.bak remembered, report.txt is not added.
void RuleCommands::RememberCondition() {
  if (history_.FindPrefix(form_.ConditionText) == -1) history_.Append(form_.ConditionText);
}

void RuleCommands::SwapRules(int a, int b) {
  for (int column : {kSourceColumn, kDestinationColumn, kPatternColumn}) {
    const std::u16string textA = rules_.GetText(a, column);
    rules_.SetText(a, column, rules_.GetText(b, column));
    rules_.SetText(b, column, textA);
  }
  const ConditionWord wordA = rules_.GetWord(a);
  rules_.SetWord(a, rules_.GetWord(b));
  rules_.SetWord(b, wordA);
}

}  // namespace savrin
