#pragma once
#include <windows.h>

#include "rules/rule_list.h"

namespace savrin {

// The rule list view (control 1000) as the display of a RuleList. Changes
// made through the list reach the view at once; selection changes and keys
// made by the user in the view reach the list through OnNotify, so the two
// never disagree whichever side moved first.
class RuleListView : public RuleListDisplay {
 public:
  // Also subclasses the view: with Alt held, arrow keys arrive as system
  // keys, which the view does not report; they are reported here instead, in
  // the window's own message loop and in a pass's alike.
  void Attach(HWND listView, RuleList* list);

  // A column's width in pixels, and a new one for it; the view takes only the
  // low word of `width`, in which 0xFFFF (-1) sizes the column to its cells.
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);

  // WM_NOTIFY from the view; returns true when the notification was handled.
  bool OnNotify(const NMHDR& header);

  void RowInserted(int index, const SortRule& rule) override;
  void RowDeleted(int index) override;
  void AllRowsDeleted() override;
  void TextChanged(int index, int column, const std::u16string& text) override;
  void StatesChanged(int index, uint32_t states) override;
  void EnsureVisible(int index) override;

 private:
  HWND view_ = nullptr;
  RuleList* list_ = nullptr;
  // Set while the view is being changed on the list's behalf: the item-changed
  // notifications that causes are the list's own news, not the user's.
  bool applyingListChange_ = false;

  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
};

}  // namespace savrin
