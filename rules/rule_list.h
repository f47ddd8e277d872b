#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/sort_rule.h"

namespace savrin {

enum RuleColumn : int { kSourceColumn = 0, kDestinationColumn = 1, kPatternColumn = 2 };

// Row states, as the list view numbers them.
enum RowState : uint32_t { kFocused = 1, kSelected = 2 };

// What shows the rules: the window's list view, or a test double. The list
// tells it every change as it happens, so the two never disagree.
class RuleListDisplay {
 public:
  virtual ~RuleListDisplay() = default;
  virtual void RowInserted(int index, const SortRule& rule) = 0;
  virtual void RowDeleted(int index) = 0;
  virtual void AllRowsDeleted() = 0;
  virtual void TextChanged(int index, int column, const std::u16string& text) = 0;
  virtual void StatesChanged(int index, uint32_t states) = 0;
  virtual void EnsureVisible(int index) = 0;
};

// Who is told about selection changes and key presses in the list: the main
// window. Notices arrive synchronously, inside the operation or user action
// that causes them.
class RuleListObserver {
 public:
  virtual ~RuleListObserver() = default;
  virtual void RuleChanged(int index) = 0;
  virtual void RuleListKeyDown(unsigned key) = 0;
};

// The ordered rules with their row states. States belong to positions:
// changing a row's texts keeps them, inserting or deleting shifts the rows
// after it together with their states. At most one row is focused. Indexes
// outside the list read as empty and change nothing.
class RuleList {
 public:
  void SetDisplay(RuleListDisplay* display) { display_ = display; }
  void SetObserver(RuleListObserver* observer) { observer_ = observer; }

  int GetCount() const { return static_cast<int>(rows_.size()); }
  std::u16string GetText(int index, int column) const;
  void SetText(int index, int column, std::u16string_view text);
  ConditionWord GetWord(int index) const;
  // Gives no RuleChanged notice: only selection and focus changes do.
  void SetWord(int index, ConditionWord word);
  const SortRule* Rule(int index) const;

  // Inserts a rule with only its source, neither selected nor focused; an
  // index at or past the end appends. Returns the index used.
  int InsertRule(int index, std::u16string_view source);
  void DeleteRule(int index);
  void DeleteAll();

  // First selected row after `start` (-1: from the first row), or -1.
  int GetNextSelected(int start) const;
  bool IsSelected(int index) const;
  uint32_t GetStates(int index) const;
  // For each bit in `mask` (kFocused, kSelected) gives the row that bit of
  // `states`. Focusing a row takes the focus from the row that had it. Every
  // row whose states really change is reported to the observer.
  void SetState(int index, uint32_t states, uint32_t mask);
  // First row after `start` (-1: from the first) whose source begins with
  // `text`, letter case ignored; the search does not wrap around.
  int FindNextBySource(int start, std::u16string_view text) const;
  void EnsureVisible(int index);

  // Entry points for the display: a key pressed in the list before the list
  // acts on it.
  void NotifyKeyDown(unsigned key);

 private:
  struct Row {
    SortRule Rule;
    uint32_t States = 0;
  };
  bool Valid(int index) const { return index >= 0 && index < GetCount(); }
  void ApplyStates(int index, uint32_t states);

  std::vector<Row> rows_;
  RuleListDisplay* display_ = nullptr;
  RuleListObserver* observer_ = nullptr;
};

}  // namespace savrin
