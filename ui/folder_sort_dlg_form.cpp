// The rule form: the two-way exchange between MainForm (with the stop flag)
// and the controls, and the folder pickers that fill its two folder fields.
#include <windows.h>

#include <shlobj.h>

#include "platform/callback_guard.h"
#include "res/resource.h"
#include "ui/folder_sort_dlg.h"
#include "ui/win_text.h"

namespace savrin {
namespace {

class ExchangeGuard {
 public:
  explicit ExchangeGuard(bool& flag) : flag_(flag), previous_(flag) { flag_ = true; }
  ~ExchangeGuard() { flag_ = previous_; }

 private:
  bool& flag_;
  bool previous_;
};

int32_t SelectedIndex(HWND combo) { return static_cast<int32_t>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

void SelectIndex(HWND combo, int32_t index) {
  const auto count = static_cast<int32_t>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
  // -1, or a number past the last entry, leaves no entry selected.
  SendMessageW(combo, CB_SETCURSEL, index >= 0 && index < count ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1), 0);
}

// Opens the picker at the folder the field names.
int CALLBACK BrowseCallback(HWND picker, UINT event, LPARAM, LPARAM path) {
  return CallGuarded("the folder picker's callback", 0, [&] {
    if (event == BFFM_INITIALIZED) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, path);
    return 0;
  });
}

}  // namespace

void CFolderSortDlg::ReadForm() {
  ExchangeGuard guard(exchangingForm_);
  form_.DestinationText = FromWide(ItemText(IDC_DESTINATION_EDIT));
  form_.SourceText = FromWide(ItemText(IDC_SOURCE_EDIT));
  form_.MethodIndex = SelectedIndex(Control(IDC_METHOD_COMBO));
  form_.CollisionIndex = SelectedIndex(Control(IDC_COLLISION_COMBO));
  form_.ConditionText = FromWide(ItemText(IDC_CONDITION_COMBO));
  form_.IntervalText = FromWide(ItemText(IDC_INTERVAL_EDIT));
  sort_.MonitoringStopped = IsItemChecked(IDC_STOP_MONITORING) ? 1 : 0;
}

void CFolderSortDlg::WriteForm() {
  ExchangeGuard guard(exchangingForm_);
  WriteTextIfDifferent(IDC_DESTINATION_EDIT, form_.DestinationText);
  WriteTextIfDifferent(IDC_SOURCE_EDIT, form_.SourceText);
  SelectIndex(Control(IDC_METHOD_COMBO), form_.MethodIndex);
  SelectIndex(Control(IDC_COLLISION_COMBO), form_.CollisionIndex);
  WriteConditionText();
  WriteTextIfDifferent(IDC_INTERVAL_EDIT, form_.IntervalText);
  if (sort_.MonitoringStopped < 0 || sort_.MonitoringStopped > 2) sort_.MonitoringStopped = 0;
  // 2, which the program never produces itself, shows as the indeterminate
  // mark the check box draws for it.
  CheckDlgButton(Handle(), IDC_STOP_MONITORING, static_cast<UINT>(sort_.MonitoringStopped));
}

// Rewriting an unchanged text would move the caret and drop the selection.
void CFolderSortDlg::WriteTextIfDifferent(int controlId, const std::u16string& text) {
  const std::wstring wide = ToWide(text);
  if (ItemText(controlId) != wide) SetItemText(controlId, wide);
}

// The field shows the first history entry that begins with the condition, as
// a whole, so that the next read takes the entry's full text.
void CFolderSortDlg::WriteConditionText() {
  HWND combo = Control(IDC_CONDITION_COMBO);
  const int entry = form_.ConditionText.empty() ? -1 : history_.FindPrefix(form_.ConditionText);
  if (entry >= 0) {
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    return;
  }
  if (SelectedIndex(combo) != -1) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  WriteTextIfDifferent(IDC_CONDITION_COMBO, form_.ConditionText);
}

void CFolderSortDlg::BrowseForFolder(int editId, UINT titleId) {
  const std::wstring title = LoadResourceString(titleId);
  std::u16string& field = editId == IDC_SOURCE_EDIT ? form_.SourceText : form_.DestinationText;
  wchar_t path[MAX_PATH + 1] = {};
  // The field as last read: the form is read every tick while idle.
  const std::wstring current = ToWide(field).substr(0, MAX_PATH);
  current.copy(path, current.size());

  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_NEWDIALOGSTYLE;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(path);
  if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse)) {
    wchar_t chosenPath[MAX_PATH + 1] = {};
    // A chosen item without a file-system path leaves the field as it was.
    if (SHGetPathFromIDListW(chosen, chosenPath)) field = FromWide(chosenPath);
    CoTaskMemFree(chosen);
  }

  WriteForm();
  FocusItemSelectingAll(editId);
  ReadForm();
  SaveAllSettings();
}

}  // namespace savrin
