// The main window's tray icon, its menu, and the blinking thread's output.
#include <windows.h>

#include <shellapi.h>

#include <thread>

#include "platform/callback_guard.h"
#include "res/resource.h"
#include "tray/tray_icons.h"
#include "ui/folder_sort_dlg.h"
#include "ui/win_text.h"

namespace savrin {
namespace {

constexpr UINT kTrayIconId = 12;
// The record's first form, which ends with the 64-character tip; every
// shell takes it. That is 152 bytes in a 32-bit program and 168 here, the
// window and icon handles being 8 bytes wide.
constexpr DWORD kTrayRecordSize = NOTIFYICONDATAW_V1_SIZE;
static_assert(sizeof(void*) == 4 ? NOTIFYICONDATAW_V1_SIZE == 152 : NOTIFYICONDATAW_V1_SIZE == 168,
              "first form of the tray record");

// Shared icons are loaded again on demand: the same handle comes back, and
// nothing is ever freed.
HICON LoadTrayIcon(int resource) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource), IMAGE_ICON, 16, 16,
                                       LR_SHARED | LR_VGACOLOR | LR_COLOR));
}

NOTIFYICONDATAW TrayRecord(HWND window, HICON icon) {
  NOTIFYICONDATAW record{};
  record.cbSize = kTrayRecordSize;
  record.hWnd = window;
  record.uID = kTrayIconId;
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = kTrayNotifyMessage;
  record.hIcon = icon;
  // The tip holds 63 characters and a terminator; the name is far shorter.
  const std::wstring tip = LoadResourceString(IDR_MAINFRAME).substr(0, 63);
  tip.copy(record.szTip, tip.size());
  return record;
}

// The blinking thread's only way out: modify the icon with its own record.
class ShellTraySink : public TraySink {
 public:
  explicit ShellTraySink(HWND window) : window_(window) {}
  void ModifyIcon(int iconResource) override {
    NOTIFYICONDATAW record = TrayRecord(window_, LoadTrayIcon(iconResource));
    Shell_NotifyIconW(NIM_MODIFY, &record);
  }

 private:
  HWND window_;
};

}  // namespace

bool CFolderSortDlg::SendTrayIcon(DWORD action) {
  SmallIcon = LoadTrayIcon(StatusIconResource(sort_.MonitoringStopped, tray_.NewShellIcons.load()));
  NOTIFYICONDATAW record = TrayRecord(Handle(), SmallIcon);
  return Shell_NotifyIconW(action, &record) != FALSE;
}

bool CFolderSortDlg::AddTrayIcon() {
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (taskbar == nullptr || FindWindowExW(taskbar, nullptr, L"TrayNotifyWnd", nullptr) == nullptr) return false;
  return SendTrayIcon(NIM_ADD);
}

bool CFolderSortDlg::RemoveTrayIcon() {
  NOTIFYICONDATAW record{};
  record.cbSize = kTrayRecordSize;
  record.hWnd = Handle();
  record.uID = kTrayIconId;
  return Shell_NotifyIconW(NIM_DELETE, &record) != FALSE;
}

void CFolderSortDlg::OnTrayNotify(LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONUP) {
    RemoveTrayIcon();
    ShowWindow(Handle(), SW_RESTORE);
    SetForegroundWindow(Handle());
    tray_.HiddenInTray = 0;
  } else if (mouseMessage == WM_RBUTTONUP) {
    POINT cursor{};
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU));
    HMENU popup = GetSubMenu(menu, 0);
    // Without the foreground the menu would not close when the user clicks
    // elsewhere.
    SetForegroundWindow(Handle());
    ReadForm();
    CheckMenuItem(popup, ID_TRAY_STOP_MONITORING,
                  MF_BYCOMMAND | (sort_.MonitoringStopped == 1 ? MF_CHECKED : MF_UNCHECKED));
    TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    DestroyMenu(menu);
  }
}

void CFolderSortDlg::OnSize(WPARAM type) {
  if (type != SIZE_MINIMIZED) return;
  AddTrayIcon();
  ShowWindow(Handle(), SW_HIDE);
  tray_.HiddenInTray = 1;
  tray_.TrayIconEvent.Set();
}

void CFolderSortDlg::OnToggleMonitoring() {
  ReadForm();
  sort_.MonitoringStopped = sort_.MonitoringStopped == 0 ? 1 : 0;
  tray_.TrayStatusCopy = sort_.MonitoringStopped;
  SendTrayIcon(NIM_MODIFY);
  WriteForm();
  ReadForm();
  SaveAllSettings();
}

void CFolderSortDlg::OnTrayExit() {
  if (sort_.Busy()) {
    DeferExitUntilIdle();
    return;
  }
  PostQuitMessage(0);  // the window's destruction saves
}

void CFolderSortDlg::StartTrayBlinkWorker() {
  traySink_ = std::make_unique<ShellTraySink>(Handle());
  trayBlinkWorker_ = std::make_unique<TrayBlinkWorker>(tray_, sort_.PassActive, *traySink_, clock_);
  // Never joined: it ends with the process.
  std::thread([worker = trayBlinkWorker_.get()] {
    CallGuarded("the blinking thread", [worker] { worker->Run(); });
  }).detach();
}

// The shells that take the 256-colour icons report 5.1 to 6.2. The
// manifest claims no system after Windows 8, so newer systems report 6.2.
void CFolderSortDlg::ChooseTrayIconSet() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&version);
#pragma GCC diagnostic pop
  tray_.NewShellIcons = NewShellIconsFor(version.dwMajorVersion, version.dwMinorVersion);
}

}  // namespace savrin
