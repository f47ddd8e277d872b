// The main window's life and its message routing: start-up, the handlers
// every message goes through, the end; and what the editing commands ask of
// the window.
#include "ui/folder_sort_dlg.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "res/resource.h"
#include "rules/column_layout.h"
#include "sorting/sort_schedule.h"
#include "ui/about_box.h"
#include "ui/message_box.h"
#include "ui/win_text.h"
#include "ui/window_pass_host.h"

namespace savrin {
namespace {

constexpr UINT_PTR kSortTimerId = 102;
constexpr UINT kSortTimerMilliseconds = 100;

}  // namespace

CFolderSortDlg::CFolderSortDlg() : DialogBase(IDD_MAIN_DIALOG) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  largeIcon_ = LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
  SmallIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TRAY_RUNNING_256), IMAGE_ICON,
                                            16, 16, LR_VGACOLOR | LR_COLOR));
}

BOOL CFolderSortDlg::OnInitDialog() {
  ruleView_.Attach(Control(IDC_RULE_LIST), &rules_);
  rules_.SetDisplay(&ruleView_);
  rules_.SetObserver(&commands_);
  historyView_.Attach(Control(IDC_CONDITION_COMBO));
  history_.SetDisplay(&historyView_);

  // The drop-down lists were filled from the template's initialisation data
  // before this runs; the form goes to the controls once with its fields
  // still empty.
  WriteForm();
  AppendAboutMenuItem();
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(SmallIcon));
  ApplyFormDefaults();
  SetUpRuleListColumns();
  LoadSettingsAtStart();
  tips_.Create(Handle());
  WriteForm();

  sort_.PassActive = 0;
  sort_.TickCount = 0;
  TaskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
  SetTimer(Handle(), kSortTimerId, kSortTimerMilliseconds, nullptr);
  // The blinking thread first, then the file-operation thread; the icon set
  // is chosen after both, before anything can signal the blinking thread.
  StartTrayBlinkWorker();
  StartFileOpWorker();
  ChooseTrayIconSet();
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
  form_.SourceText = form_.DestinationText = FromWide(documents);
  form_.MethodIndex = form_.CollisionIndex = 0;
  WriteForm();
}

void CFolderSortDlg::SetUpRuleListColumns() {
  HWND list = Control(IDC_RULE_LIST);
  RECT client{};
  GetClientRect(list, &client);
  rules_.DeleteAll();
  // A mask of 0 replaces every extended style: exactly these two remain.
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_TWOCLICKACTIVATE);

  static const UINT kTitles[] = {IDS_COLUMN_SOURCE, IDS_COLUMN_DESTINATION, IDS_COLUMN_CONDITION};
  const auto widths = RuleListColumnWidths(client.right - client.left);
  for (int column = 0; column < 3; ++column) {
    LVCOLUMNW info{};
    info.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    info.fmt = LVCFMT_LEFT;
    info.cx = widths[static_cast<size_t>(column)];
    std::wstring title = LoadResourceString(kTitles[column]);
    info.pszText = title.data();
    info.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
  }
}

bool CFolderSortDlg::PreTranslateMessage(MSG& message) {
  tips_.Relay(message);
  return DialogBase::PreTranslateMessage(message);
}

INT_PTR CFolderSortDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage && message != 0) {
    AddTrayIcon();  // whether the window is hidden or shown
    return TRUE;
  }
  switch (message) {
    case kTrayNotifyMessage:
      OnTrayNotify(lParam);
      return TRUE;
    case WM_SIZE:
      OnSize(wParam);
      return FALSE;
    case WM_TIMER:
      OnSortTick(*this, sort_);
      return TRUE;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam)) || DialogBase::HandleMessage(message, wParam, lParam);
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_SYSCOMMAND:
      return OnSysCommand(wParam);
    case WM_PAINT:
      return OnPaint();
    case WM_QUERYDRAGICON:
      // One of the few messages a dialog procedure answers with its return
      // value itself, not through DWLP_MSGRESULT.
      return reinterpret_cast<INT_PTR>(SmallIcon);
    case WM_CLOSE:
      return OnClose();
    case WM_DESTROY:
      OnDestroy();
      return FALSE;
    default:
      return DialogBase::HandleMessage(message, wParam, lParam);
  }
}

bool CFolderSortDlg::OnCommand(WORD id, WORD code) {
  // Notifications raised while the form is exchanged are the program's own
  // writes, not the user's changes.
  if (exchangingForm_) return true;
  switch (id) {
    case IDC_INTERVAL_EDIT:
      if (code == EN_CHANGE) OnIntervalChange();
      if (code == EN_KILLFOCUS) OnIntervalKillFocus();
      return true;
    case IDC_STOP_MONITORING:
      if (code == BN_CLICKED) OnStopMonitoringClick();
      return true;
    case IDC_BROWSE_SOURCE:
      BrowseForFolder(IDC_SOURCE_EDIT, IDS_PICK_SOURCE);
      return true;
    case IDC_BROWSE_DESTINATION:
      BrowseForFolder(IDC_DESTINATION_EDIT, IDS_PICK_DESTINATION);
      return true;
    case IDC_ADD_RULE: commands_.OnAddRule(); return true;
    case IDC_MODIFY_RULE: commands_.OnModifyRule(); return true;
    case IDC_DELETE_RULE: commands_.OnDeleteRule(); return true;
    case IDC_MOVE_UP: commands_.OnMoveRulesUp(); return true;
    case IDC_MOVE_DOWN: commands_.OnMoveRulesDown(); return true;
    case IDC_ADD_PATTERN: commands_.OnAddPattern(); return true;
    case IDC_DELETE_PATTERN: commands_.OnDeletePattern(); return true;
    case ID_TRAY_ORGANIZE_NOW:
      OrganizeNow(*this, sort_);
      return true;
    case ID_TRAY_ABOUT:
      ShowAboutBox(Handle());
      return true;
    case ID_TRAY_STOP_MONITORING:
      OnToggleMonitoring();
      return true;
    case ID_TRAY_EXIT:
      OnTrayExit();
      return true;
    default:
      return false;
  }
}

bool CFolderSortDlg::OnNotify(const NMHDR& header) {
  if (header.idFrom == IDC_INTERVAL_SPIN && header.code == UDN_DELTAPOS) {
    OnIntervalSpin(reinterpret_cast<const NMUPDOWN&>(header).iDelta);
    SetWindowLongPtrW(Handle(), DWLP_MSGRESULT, 0);  // the control may go on with the change
    return true;
  }
  return ruleView_.OnNotify(header);
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
  if (sort_.Busy()) {
    // Never interrupt a file operation.
    DeferExitUntilIdle();
    EnableEditButtons(*this, false);
    return true;
  }
  ReadForm();
  SaveAllSettings();
  // Default processing turns the close into the cancel command, which ends
  // the modal run.
  return false;
}

void CFolderSortDlg::DeferExitUntilIdle() {
  sort_.ProcessingTitle = FromWide(LoadResourceString(IDS_EXIT_PENDING_TITLE));
  sort_.ExitPending = 1;
}

void CFolderSortDlg::OnDestroy() {
  RemoveTrayIcon();
  KillTimer(Handle(), kSortTimerId);
  ReadForm();
  SaveAllSettingsAndWindowRect();
}

// --- what the editing commands need -----------------------------------------

PromptAnswer CFolderSortDlg::Prompt(TextId text, PromptButtons buttons) {
  const UINT kind = buttons == PromptButtons::OkCancel ? MB_OKCANCEL : buttons == PromptButtons::YesNo ? MB_YESNO : MB_OK;
  switch (ShowMessage(Handle(), LoadResourceString(text), kind)) {
    case IDCANCEL: return PromptAnswer::Cancel;
    case IDYES: return PromptAnswer::Yes;
    case IDNO: return PromptAnswer::No;
    default: return PromptAnswer::Ok;
  }
}

// The shell's display name is empty exactly when the text names no existing
// item; a failed call counts as missing.
bool CFolderSortDlg::PathExists(const std::u16string& path) {
  SHFILEINFOW info{};
  SHGetFileInfoW(ToWide(path).c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME);
  return info.szDisplayName[0] != L'\0';
}

// The key state as of the key message being handled, or the key as it is
// now: under Wine, input injected by another program (the end-to-end driver,
// a remote-control tool) reaches the thread's key state but not the
// asynchronous one.
bool CFolderSortDlg::IsAltDown() {
  return (GetKeyState(VK_MENU) & 0x8000) != 0 || (GetAsyncKeyState(VK_MENU) & 0x8000) != 0;
}

}  // namespace savrin
