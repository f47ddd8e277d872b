// The main window's file-system work, handed to the file-operation engine.
#include "ui/folder_sort_dlg.h"

namespace savrin {

void CFolderSortDlg::PerformRequest(const FileOpRequest&) {}

void CFolderSortDlg::MakeFolderPathExistFor(const std::u16string&) {}

bool CFolderSortDlg::AnyEntryMatchesFor(const std::u16string&) { return false; }

}  // namespace savrin
