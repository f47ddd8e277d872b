#include "rules/pattern_history.h"

#include "rules/sort_rule.h"
#include "rules/text_compare.h"

namespace savrin {

void PatternHistory::Append(std::u16string_view text) {
  entries_.emplace_back(text.substr(0, kMaxTextLength));
  if (display_ != nullptr) display_->EntryAppended(entries_.back());
}

void PatternHistory::RemoveAt(int index) {
  if (index < 0 || index >= GetCount()) return;
  entries_.erase(entries_.begin() + index);
  if (display_ != nullptr) display_->EntryRemoved(index);
}

int PatternHistory::GetSelection() const {
  if (display_ == nullptr) return -1;
  const int selection = display_->CurrentSelection();
  return selection >= 0 && selection < GetCount() ? selection : -1;
}

int PatternHistory::FindPrefix(std::u16string_view text) const {
  for (int i = 0; i < GetCount(); ++i) {
    if (StartsWithIgnoringCase(entries_[static_cast<size_t>(i)], text)) return i;
  }
  return -1;
}

}  // namespace savrin
