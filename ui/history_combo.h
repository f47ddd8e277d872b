#pragma once
#include <windows.h>

#include "rules/pattern_history.h"

namespace savrin {

// The file-condition drop-down (control 1011) as the display of the
// PatternHistory: unsorted, entries in the history's order.
class HistoryCombo : public PatternHistoryDisplay {
 public:
  void Attach(HWND combo) { combo_ = combo; }

  void EntryAppended(const std::u16string& text) override;
  void EntryRemoved(int index) override;
  int CurrentSelection() const override;

 private:
  HWND combo_ = nullptr;
};

}  // namespace savrin
