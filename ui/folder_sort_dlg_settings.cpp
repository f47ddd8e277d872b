// The main window's settings: loaded once at start-up, written whole after
// every change and at the end.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>

#include "res/resource.h"
#include "settings/ini_document.h"
#include "settings/settings_load.h"
#include "settings/settings_path.h"
#include "settings/settings_save.h"
#include "settings/settings_start.h"
#include "settings/settings_storage.h"
#include "settings/window_rect.h"
#include "ui/folder_sort_dlg.h"
#include "ui/win_text.h"

namespace savrin {
namespace {

// The local time the program started, for the name of a settings file kept aside.
std::u16string StartStamp() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  wchar_t text[32];
  swprintf(text, 32, L"%04u%02u%02u-%02u%02u%02u", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
           now.wSecond);
  return FromWide(text);
}

}  // namespace

void CFolderSortDlg::LoadSettingsAtStart() {
  SettingsPath = SettingsPathFor(FromWide(ModuleFilePath()));
  settingsAsideStamp_ = StartStamp();
  // Files without a byte-order mark that are not UTF-8 were written in the
  // ANSI code page: CP932 on a Japanese desktop.
  SettingsAtStart read = ReadSettingsAtStart(SettingsPath, settingsAsideStamp_, FromAnsiCodePage);
  settingsDocument_ = std::move(read.Document);
  settingsWritable_ = read.Writable;
  const LoadedSettings loaded = LoadSettings(settingsDocument_);

  for (const SortRule& rule : loaded.Rules) {
    const int row = rules_.InsertRule(rules_.GetCount(), rule.Source);
    rules_.SetText(row, kDestinationColumn, rule.Destination);
    rules_.SetText(row, kPatternColumn, rule.Pattern);
    rules_.SetWord(row, rule.Condition);
  }
  for (const std::u16string& entry : loaded.History) history_.Append(entry);

  SetInterval(loaded.IntervalSeconds);
  SendMessageW(Control(IDC_ELAPSED_PROGRESS), PBM_SETSTEP, 1, 0);

  sort_.MonitoringStopped = loaded.MonitoringStopped;
  tray_.TrayStatusCopy = loaded.MonitoringStopped;
  tray_.HiddenInTray = static_cast<uint32_t>(loaded.HiddenInTray);

  for (int column = 0; column < 3; ++column) {
    if (const auto width = loaded.ColumnWidths[static_cast<size_t>(column)]) {
      ruleView_.SetColumnWidth(column, *width & 0xFFFF);
    }
  }
}

void CFolderSortDlg::UpdateSettingsDocument() {
  SettingsSnapshot snapshot;
  for (int row = 0; row < rules_.GetCount(); ++row) snapshot.Rules.push_back(*rules_.Rule(row));
  snapshot.History = history_.Entries();
  snapshot.IntervalSeconds = sort_.IntervalSeconds;
  snapshot.MonitoringStopped = sort_.MonitoringStopped;
  snapshot.HiddenInTray = static_cast<int32_t>(tray_.HiddenInTray.load());
  for (int column = 0; column < 3; ++column) {
    snapshot.ColumnWidths[static_cast<size_t>(column)] = ruleView_.ColumnWidth(column);
  }
  savrin::SaveAllSettings(settingsDocument_, snapshot);
}

void CFolderSortDlg::WriteSettingsFile() {
  // A failed write is not reported: the next change writes everything again.
  if (!settingsWritable_) {
    std::u16string keptAside;
    settingsWritable_ = MoveUnreadableSettingsAside(SettingsPath, settingsAsideStamp_, keptAside);
  }
  if (settingsWritable_) WriteSettingsDocument(SettingsPath, settingsDocument_);
}

void CFolderSortDlg::SaveAllSettings() {
  UpdateSettingsDocument();
  WriteSettingsFile();
}

// Everything and the window's normal rectangle, in one write: the last
// position at which the window was shown, also while it hides in the tray.
void CFolderSortDlg::SaveAllSettingsAndWindowRect() {
  UpdateSettingsDocument();
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(Handle(), &placement);
  const RECT& normal = placement.rcNormalPosition;
  WriteWindowRect(settingsDocument_, {normal.left, normal.top, normal.right, normal.bottom});
  WriteSettingsFile();
}

void CFolderSortDlg::PlaceWindow() {
  RECT window{};
  GetWindowRect(Handle(), &window);
  const WindowRect place = PlaceWindowRect(ReadWindowRect(settingsDocument_), window.right - window.left,
                                           window.bottom - window.top, GetSystemMetrics(SM_CXSCREEN),
                                           GetSystemMetrics(SM_CYSCREEN));
  const bool hidden = tray_.HiddenInTray.load() == 1;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  placement.showCmd = hidden ? SW_HIDE : SW_SHOW;
  placement.rcNormalPosition = {place.Left, place.Top, place.Right, place.Bottom};
  SetWindowPlacement(Handle(), &placement);
  if (hidden) {
    AddTrayIcon();
  } else {
    ShowWindow(Handle(), SW_SHOWNORMAL);
  }
}

}  // namespace savrin
