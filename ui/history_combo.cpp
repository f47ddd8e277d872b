#include "ui/history_combo.h"

#include "ui/win_text.h"

namespace savrin {

void HistoryCombo::EntryAppended(const std::u16string& text) {
  const std::wstring wide = ToWide(text);
  SendMessageW(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void HistoryCombo::EntryRemoved(int index) { SendMessageW(combo_, CB_DELETESTRING, static_cast<WPARAM>(index), 0); }

int HistoryCombo::CurrentSelection() const {
  return static_cast<int>(SendMessageW(combo_, CB_GETCURSEL, 0, 0));
}

}  // namespace savrin
