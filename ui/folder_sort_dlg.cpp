#include "ui/folder_sort_dlg.h"

#include <commctrl.h>
#include <shlobj.h>

#include "res/resource.h"
#include "ui/about_box.h"
#include "ui/column_layout.h"
#include "ui/win_text.h"

namespace savrin {

CFolderSortDlg::CFolderSortDlg() : DialogBase(IDD_MAIN_DIALOG) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  LargeIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  SmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TRAY_RUNNING_256), IMAGE_ICON,
                                            16, 16, LR_VGACOLOR | LR_COLOR));
}

BOOL CFolderSortDlg::OnInitDialog() {
  // The drop-down lists were filled from the template's initialisation data
  // before this runs.
  AppendAboutMenuItem();
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LargeIcon));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon));
  ApplyFormDefaults();
  SetUpRuleListColumns();
  PlaceWindow();
  return TRUE;
}

void CFolderSortDlg::AppendAboutMenuItem() {
  HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
  const std::wstring text = LoadResourceString(IDS_ABOUTBOX);
  if (systemMenu == nullptr || text.empty()) return;
  AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

void CFolderSortDlg::ApplyFormDefaults() {
  wchar_t documents[MAX_PATH + 1] = {};
  if (!SHGetSpecialFolderPathW(Handle(), documents, CSIDL_PERSONAL, FALSE)) documents[0] = L'\0';
  SetDlgItemTextW(Handle(), IDC_SOURCE_EDIT, documents);
  SetDlgItemTextW(Handle(), IDC_DESTINATION_EDIT, documents);
  SendDlgItemMessageW(Handle(), IDC_METHOD_COMBO, CB_SETCURSEL, 0, 0);
  SendDlgItemMessageW(Handle(), IDC_COLLISION_COMBO, CB_SETCURSEL, 0, 0);
}

void CFolderSortDlg::SetUpRuleListColumns() {
  HWND list = Control(IDC_RULE_LIST);
  RECT client{};
  GetClientRect(list, &client);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  // A mask of 0 replaces every extended style: exactly these two remain.
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_TWOCLICKACTIVATE);

  static const wchar_t* const kTitles[] = {L"ファイル監視フォルダ", L"振り分け先フォルダ", L"ファイル条件"};
  const auto widths = RuleListColumnWidths(client.right - client.left);
  for (int column = 0; column < 3; ++column) {
    LVCOLUMNW info{};
    info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    info.fmt = LVCFMT_LEFT;
    info.cx = widths[static_cast<size_t>(column)];
    info.pszText = const_cast<wchar_t*>(kTitles[column]);
    info.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  }
}

void CFolderSortDlg::PlaceWindow() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = SW_SHOW;
  placement.rcNormalPosition.left = screenWidth / 2 - width / 2;
  placement.rcNormalPosition.top = screenHeight / 2 - height / 2;
  placement.rcNormalPosition.right = placement.rcNormalPosition.left + width;
  placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + height;
  SetWindowPlacement(Handle(), &placement);
  ShowWindow(Handle(), SW_SHOWNORMAL);
}

INT_PTR CFolderSortDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam);
    case WM_PAINT:
      return OnPaint();
    case WM_QUERYDRAGICON:
      SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(SmallIcon));
      return TRUE;
    case WM_CLOSE:
      return OnClose();
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return DialogBase::HandleMessage(message, wParam, lParam);
  }
}

bool CFolderSortDlg::OnSysCommand(WPARAM id) {
  if ((id & 0xFFF0) != IDM_ABOUTBOX) return false;  // move, minimise, close...: default processing
  ShowAboutBox(Handle());
  return true;
}

bool CFolderSortDlg::OnPaint() {
  if (!IsIconic(Handle())) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(Handle(), &paint);
  SendMessageW(Handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client{};
  GetClientRect(Handle(), &client);
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, SmallIcon);
  EndPaint(Handle(), &paint);
  return true;
}

bool CFolderSortDlg::OnClose() {
  // Default processing turns the close into the cancel command, which ends
  // the modal run.
  return false;
}

void CFolderSortDlg::OnDestroy() {}

}  // namespace savrin
