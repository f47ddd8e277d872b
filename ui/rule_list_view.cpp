#include "ui/rule_list_view.h"

#include <commctrl.h>

#include "platform/callback_guard.h"
#include "ui/win_text.h"

namespace savrin {
namespace {

class ApplyingGuard {
 public:
  explicit ApplyingGuard(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~ApplyingGuard() { flag_ = previous_; }

 private:
  bool& flag_;
  bool previous_;
};

void SetCellText(HWND view, int index, int column, const std::u16string& text) {
  std::wstring wide = ToWide(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  SendMessageW(view, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

constexpr UINT kStateMask = LVIS_FOCUSED | LVIS_SELECTED;
static_assert(LVIS_FOCUSED == kFocused && LVIS_SELECTED == kSelected, "row states use the view's numbering");

}  // namespace

void RuleListView::Attach(HWND listView, RuleList* list) {
  view_ = listView;
  list_ = list;
  SetWindowSubclass(view_, &RuleListView::SubclassProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

// The keys reach the editing commands and the settings save, which may
// throw; a key whose command threw counts as handled.
LRESULT CALLBACK RuleListView::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self) {
  return CallGuarded("the rule list's subclass procedure", LRESULT{0}, [&]() -> LRESULT {
    if (message == WM_SYSKEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
      auto* view = reinterpret_cast<RuleListView*>(self);
      if (view->list_ != nullptr) view->list_->NotifyKeyDown(static_cast<unsigned>(wParam));
      return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, &RuleListView::SubclassProc, 1);
    return DefSubclassProc(window, message, wParam, lParam);
  });
}

void RuleListView::RowInserted(int index, const SortRule& rule) {
  ApplyingGuard guard(applyingListChange_);
  std::wstring source = ToWide(rule.Source);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_STATE;
  item.iItem = index;
  item.pszText = source.data();
  item.stateMask = kStateMask;
  item.state = 0;
  SendMessageW(view_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  SetCellText(view_, index, kDestinationColumn, rule.Destination);
  SetCellText(view_, index, kPatternColumn, rule.Pattern);
}

void RuleListView::RowDeleted(int index) {
  ApplyingGuard guard(applyingListChange_);
  SendMessageW(view_, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
}

void RuleListView::AllRowsDeleted() {
  ApplyingGuard guard(applyingListChange_);
  SendMessageW(view_, LVM_DELETEALLITEMS, 0, 0);
}

void RuleListView::TextChanged(int index, int column, const std::u16string& text) {
  ApplyingGuard guard(applyingListChange_);
  SetCellText(view_, index, column, text);
}

void RuleListView::StatesChanged(int index, uint32_t states) {
  ApplyingGuard guard(applyingListChange_);
  LVITEMW item{};
  item.stateMask = kStateMask;
  item.state = states;
  SendMessageW(view_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

void RuleListView::EnsureVisible(int index) {
  SendMessageW(view_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

int RuleListView::ColumnWidth(int column) const {
  return static_cast<int>(SendMessageW(view_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

void RuleListView::SetColumnWidth(int column, int width) {
  SendMessageW(view_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

bool RuleListView::OnNotify(const NMHDR& header) {
  if (list_ == nullptr || header.hwndFrom != view_) return false;
  if (header.code == LVN_KEYDOWN) {
    list_->NotifyKeyDown(reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey);
    return true;
  }
  if (header.code != LVN_ITEMCHANGED || applyingListChange_) return false;

  const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
  if ((change.uChanged & LVIF_STATE) == 0) return false;
  const uint32_t mask = (change.uNewState ^ change.uOldState) & kStateMask;
  if (mask == 0) return true;
  // A notice for all rows at once (index -1, as a select-all gives) names no
  // rule to load; taken row by row it would leave the form on the last one.
  if (change.iItem < 0) return true;
  // The user's click or key changed the view; bring the list along, which
  // reports the change to its observer.
  list_->SetState(change.iItem, change.uNewState & kStateMask, mask);
  return true;
}

}  // namespace savrin
