#include "rules/rule_list.h"

#include "rules/text_compare.h"

namespace savrin {
namespace {

// Longer texts never enter the list: the form refuses them first, and this
// keeps the list's promise should any other path try.
std::u16string Bounded(std::u16string_view text) {
  return std::u16string(text.substr(0, kMaxTextLength));
}

template <typename Rule>
auto* Field(Rule& rule, int column) {
  decltype(&rule.Source) field = nullptr;
  switch (column) {
    case kSourceColumn: field = &rule.Source; break;
    case kDestinationColumn: field = &rule.Destination; break;
    case kPatternColumn: field = &rule.Pattern; break;
    default: break;
  }
  return field;
}

}  // namespace

std::u16string RuleList::GetText(int index, int column) const {
  if (!Valid(index)) return {};
  const std::u16string* field = Field(rows_[static_cast<size_t>(index)].Rule, column);
  return field != nullptr ? *field : std::u16string();
}

void RuleList::SetText(int index, int column, std::u16string_view text) {
  if (!Valid(index)) return;
  std::u16string* field = Field(rows_[static_cast<size_t>(index)].Rule, column);
  if (field == nullptr) return;
  *field = Bounded(text);
  if (display_ != nullptr) display_->TextChanged(index, column, *field);
}

ConditionWord RuleList::GetWord(int index) const {
  return Valid(index) ? rows_[static_cast<size_t>(index)].Rule.Condition : 0;
}

void RuleList::SetWord(int index, ConditionWord word) {
  if (Valid(index)) rows_[static_cast<size_t>(index)].Rule.Condition = word;
}

const SortRule* RuleList::Rule(int index) const {
  return Valid(index) ? &rows_[static_cast<size_t>(index)].Rule : nullptr;
}

int RuleList::InsertRule(int index, std::u16string_view source) {
  if (index < 0 || index > GetCount()) index = GetCount();
  Row row;
  row.Rule.Source = Bounded(source);
  rows_.insert(rows_.begin() + index, row);
  if (display_ != nullptr) display_->RowInserted(index, rows_[static_cast<size_t>(index)].Rule);
  return index;
}

void RuleList::DeleteRule(int index) {
  if (!Valid(index)) return;
  rows_.erase(rows_.begin() + index);
  if (display_ != nullptr) display_->RowDeleted(index);
}

void RuleList::DeleteAll() {
  rows_.clear();
  if (display_ != nullptr) display_->AllRowsDeleted();
}

int RuleList::GetNextSelected(int start) const {
  for (int i = start < 0 ? 0 : start + 1; i < GetCount(); ++i) {
    if (IsSelected(i)) return i;
  }
  return -1;
}

bool RuleList::IsSelected(int index) const { return (GetStates(index) & kSelected) != 0; }

uint32_t RuleList::GetStates(int index) const {
  return Valid(index) ? rows_[static_cast<size_t>(index)].States : 0;
}

void RuleList::SetState(int index, uint32_t states, uint32_t mask) {
  if (!Valid(index)) return;
  mask &= kFocused | kSelected;
  if ((mask & kFocused) && (states & kFocused)) {
    for (int other = 0; other < GetCount(); ++other) {
      if (other != index && (GetStates(other) & kFocused)) ApplyStates(other, GetStates(other) & ~kFocused);
    }
  }
  ApplyStates(index, (GetStates(index) & ~mask) | (states & mask));
}

void RuleList::ApplyStates(int index, uint32_t states) {
  Row& row = rows_[static_cast<size_t>(index)];
  if (row.States == states) return;
  row.States = states;
  if (display_ != nullptr) display_->StatesChanged(index, states);
  if (observer_ != nullptr) observer_->RuleChanged(index);
}

int RuleList::FindNextBySource(int start, std::u16string_view text) const {
  for (int i = start < 0 ? 0 : start + 1; i < GetCount(); ++i) {
    if (StartsWithIgnoringCase(rows_[static_cast<size_t>(i)].Rule.Source, text)) return i;
  }
  return -1;
}

void RuleList::EnsureVisible(int index) {
  if (Valid(index) && display_ != nullptr) display_->EnsureVisible(index);
}

void RuleList::NotifyKeyDown(unsigned key) {
  if (observer_ != nullptr) observer_->RuleListKeyDown(key);
}

}  // namespace savrin
