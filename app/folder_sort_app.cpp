#include "app/folder_sort_app.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "ui/folder_sort_dlg.h"
#include "ui/message_box.h"

namespace savrin {

bool CFolderSortApp::InitInstance() {
  SingleInstanceMutex = CreateMutexW(nullptr, FALSE, kSingleInstanceMutexName);
  if (SingleInstanceMutex == nullptr) {
    ShowMessage(nullptr, L"Cannot create Mutex", MB_OK);
    return false;
  }
  // The copy that runs already is left alone: not brought forward, no message.
  if (GetLastError() == ERROR_ALREADY_EXISTS) return false;

  // The manifest asks for the visual-style common controls; this registers
  // the list view, up-down, progress bar and tooltip classes.
  InitCommonControls();
  // The folder picker's new dialog style needs a single-threaded apartment.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  auto mainWindow = std::make_unique<CFolderSortDlg>();
  mainWindow->RunModal(nullptr);
  // The window is gone, but the object stays: the two worker threads are
  // never joined and still wait on the events it holds. They end with the
  // process, which ends as soon as this returns.
  mainWindow.release();
  return false;
}

}  // namespace savrin
