#include <windows.h>

#include "app/folder_sort_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  savrin::CFolderSortApp app;
  app.InitInstance();
  // The worker threads are never joined; ExitProcess ends them with the
  // process, as returning from wWinMain does.
  return 0;
}
