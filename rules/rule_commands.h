#pragma once
#include "rules/main_form.h"
#include "rules/pattern_history.h"
#include "rules/prompter.h"
#include "rules/rule_list.h"
#include "rules/rule_validation.h"

namespace savrin {

// Key codes the list reacts to, as the platform numbers them.
inline constexpr unsigned kKeyUp = 0x26;
inline constexpr unsigned kKeyDown = 0x28;
inline constexpr unsigned kKeyDelete = 0x2E;

// What the editing commands need of the window.
class RuleCommandHost : public Prompter {
 public:
  virtual void ReadForm() = 0;
  virtual void WriteForm() = 0;
  virtual void SaveAllSettings() = 0;
  virtual bool PathExists(const std::u16string& path) = 0;
  virtual bool IsAltDown() = 0;
};

// The commands that change the rule list and the pattern history, and the
// window's reactions to the list's notices. Every command that changes
// something saves the settings before it returns.
class RuleCommands : public RuleListObserver {
 public:
  RuleCommands(RuleList& rules, PatternHistory& history, MainForm& form, RuleCommandHost& host);

  void OnAddRule();
  void OnModifyRule();
  void OnDeleteRule();
  void OnMoveRulesUp();
  void OnMoveRulesDown();
  void OnAddPattern();
  void OnDeletePattern();
  void LoadRuleIntoForm(int index);

  // RuleListObserver: the list's notices.
  void RuleChanged(int index) override;
  void RuleListKeyDown(unsigned key) override;

 private:
  bool IsDuplicateOfExistingRule() const;
  bool Validate(uint32_t& wildcardFlag);
  ConditionWord NewWord(uint32_t wildcardFlag) const;
  void RememberCondition();
  void SwapRules(int a, int b);
  void Tell(TextId message) { host_.Prompt(message, PromptButtons::Ok); }

  RuleList& rules_;
  PatternHistory& history_;
  MainForm& form_;
  RuleCommandHost& host_;
};

}  // namespace savrin
