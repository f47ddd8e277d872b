// The main window's file-system work, handed to the file-operation engine.
#include "platform/file_system.h"
#include "sorting/file_operation.h"
#include "sorting/folder_path.h"
#include "sorting/source_match.h"
#include "ui/folder_sort_dlg.h"

namespace savrin {

// On the file-operation thread, with its own file system: the two threads
// never share one.
void CFolderSortDlg::PerformRequest(const FileOpRequest& request) {
  PerformFileOperation(*workerFileSystem_, ToFileOperation(request));
}

void CFolderSortDlg::MakeFolderPathExistFor(const std::u16string& folderPath) {
  MakeFolderPathExist(*passFileSystem_, folderPath);
}

bool CFolderSortDlg::AnyEntryMatchesFor(const std::u16string& sourcePattern) {
  return AnyEntryMatches(*passFileSystem_, sourcePattern);
}

}  // namespace savrin
