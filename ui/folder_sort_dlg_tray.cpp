// The main window's tray icon.
#include <windows.h>

#include "ui/folder_sort_dlg.h"

namespace savrin {

bool CFolderSortDlg::AddTrayIcon() { return false; }

bool CFolderSortDlg::RemoveTrayIcon() { return false; }

}  // namespace savrin
