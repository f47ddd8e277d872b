#include "ui/about_box.h"

#include "platform/callback_guard.h"
#include "res/resource.h"

namespace savrin {
namespace {

// 1 while the About box is open. The tray menu stays usable meanwhile, so a
// second request would otherwise stack a second box.
int AboutOpen = 0;

INT_PTR CALLBACK VersionInfoProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
  return CallGuarded("the About box's dialog procedure", INT_PTR{FALSE}, [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
      EndDialog(window, LOWORD(wParam));
      return TRUE;
    }
    return FALSE;
  });
}

}  // namespace

void ShowAboutBox(HWND owner) {
  if (AboutOpen != 0) return;
  AboutOpen = 1;
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_ABOUTBOX), owner, VersionInfoProc, 0);
  AboutOpen = 0;
}

}  // namespace savrin
