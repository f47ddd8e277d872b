// The folder pickers behind the two folder buttons.
#include <windows.h>

#include <shlobj.h>

#include "platform/callback_guard.h"
#include "res/resource.h"
#include "ui/folder_sort_dlg.h"
#include "ui/win_text.h"

namespace savrin {
namespace {

// Opens the picker at the folder the field names.
int CALLBACK BrowseCallback(HWND picker, UINT event, LPARAM, LPARAM path) {
  return CallGuarded("the folder picker's callback", 0, [&] {
    if (event == BFFM_INITIALIZED) SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, path);
    return 0;
  });
}

}  // namespace

void CFolderSortDlg::BrowseForFolder(int editId, const wchar_t* title) {
  std::u16string& field = editId == IDC_SOURCE_EDIT ? Form.SourceText : Form.DestinationText;
  wchar_t path[MAX_PATH + 1] = {};
  // The field as last read: the form is read every tick while idle.
  const std::wstring current = ToWide(field).substr(0, MAX_PATH);
  current.copy(path, current.size());

  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.lpszTitle = title;
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
  HWND edit = Control(editId);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  ReadForm();
  SaveAllSettings();
}

}  // namespace savrin
