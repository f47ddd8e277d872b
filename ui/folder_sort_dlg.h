#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"
#include "rules/main_form.h"
#include "rules/pattern_history.h"
#include "rules/rule_commands.h"
#include "rules/rule_list.h"
#include "settings/ini_document.h"
#include "sorting/file_op_worker.h"
#include "sorting/sort_schedule.h"
#include "sorting/sort_state.h"
#include "tray/tray_blink_worker.h"
#include "ui/dialog_base.h"
#include "ui/form_tooltips.h"
#include "ui/history_combo.h"
#include "ui/rule_list_view.h"

namespace savrin {

// The tray icon's notification message.
inline constexpr UINT kTrayNotifyMessage = WM_APP + 2;

// The main window (template 102): the rule list, the rule form, the edit
// buttons and the monitoring options.
class CFolderSortDlg : public DialogBase, private RuleCommandHost, private TickHost {
 public:
  CFolderSortDlg();

 private:
  // Each group of member functions is defined in the file its comment names.

  // folder_sort_dlg.cpp: start-up, the routing of every message to its
  // handler, the end; and what the editing commands ask of the window.
  BOOL OnInitDialog() override;
  void AppendAboutMenuItem();
  void ApplyFormDefaults();
  void SetUpRuleListColumns();
  bool PreTranslateMessage(MSG& message) override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OnCommand(WORD id, WORD code);
  bool OnNotify(const NMHDR& header);
  bool OnSysCommand(WPARAM id);
  bool OnPaint();
  bool OnClose();
  // While a pass or an operation runs, an exit only marks itself: the title
  // says so and the first idle tick ends the program.
  void DeferExitUntilIdle();
  void OnDestroy();
  PromptAnswer Prompt(TextId text, PromptButtons buttons) override;
  bool PathExists(const std::u16string& path) override;
  bool IsAltDown() override;

  // folder_sort_dlg_form.cpp: the rule form's exchange with the controls
  // (for the editing commands and the tick alike; both directions run with
  // the controls' change notifications locked out) and the folder pickers.
  void ReadForm() override;
  void WriteForm() override;
  void WriteTextIfDifferent(int controlId, const std::u16string& text);
  void WriteConditionText();
  void BrowseForFolder(int editId, UINT titleId);

  // folder_sort_dlg_monitoring.cpp: the file-operation thread, what the
  // timer's tick needs of the window, and the monitoring options.
  void StartFileOpWorker();
  void RunSortingPass() override;
  void PostQuit() override;
  void DispatchOneMessage() override;
  void SetProgressPosition(uint32_t position) override;
  void SignalTrayIcon() override;
  // Starts the count afresh on the new range. Start-up passes the stored
  // value as it stands; the user's edits arrive bounded to 1..999999.
  void SetInterval(int32_t seconds);
  void OnIntervalChange();
  void OnIntervalKillFocus();
  void OnIntervalSpin(int delta);
  void OnStopMonitoringClick();

  // folder_sort_dlg_settings.cpp: the settings file, read once at start-up
  // and written whole after every change, and the window's place in it.
  void LoadSettingsAtStart();
  void UpdateSettingsDocument();
  void WriteSettingsFile();
  void SaveAllSettings() override;
  void SaveAllSettingsAndWindowRect();
  void PlaceWindow();

  // folder_sort_dlg_tray.cpp: the tray icon, its menu, minimising into it,
  // and the blinking thread.
  bool SendTrayIcon(DWORD action);
  bool AddTrayIcon();
  bool RemoveTrayIcon();
  void OnTrayNotify(LPARAM mouseMessage);
  void OnSize(WPARAM type);
  void OnToggleMonitoring();
  void OnTrayExit();
  void StartTrayBlinkWorker();
  void ChooseTrayIconSet();

  // The window's parts and state, and what it shares with its two threads.
  // Members end in an underscore, except the three the program's design
  // names (SettingsPath, TaskbarCreatedMessage, SmallIcon), kept as named.
  FormToolTip tips_;
  RuleList rules_;
  PatternHistory history_;
  RuleListView ruleView_;
  HistoryCombo historyView_;
  MainForm form_;
  RuleCommands commands_{rules_, history_, form_, *this};
  SortState sort_;
  TrayFlags tray_;
  std::u16string SettingsPath;
  // The file as read at start-up, kept so that lines the program does not
  // own survive every save; the program never reads the file again.
  IniDocument settingsDocument_;
  // False while a settings file that could not be read stands where the
  // fresh one would go (see ReadSettingsAtStart); each save tries again to
  // move it aside under settingsAsideStamp_.
  bool settingsWritable_ = true;
  std::u16string settingsAsideStamp_;
  bool exchangingForm_ = false;
  std::unique_ptr<FileOpWorker> fileOpWorker_;
  // One file system for each thread that uses one (see FileSystem): the
  // pass on this thread, the engine on the file-operation thread.
  std::unique_ptr<FileSystem> passFileSystem_ = MakePlatformFileSystem();
  std::unique_ptr<FileSystem> workerFileSystem_ = MakePlatformFileSystem();
  // The pass's title blinks and the blinking thread's icon blinks on this one
  // clock, so the two keep step.
  Clock& clock_ = PlatformClock();
  std::unique_ptr<TraySink> traySink_;
  std::unique_ptr<TrayBlinkWorker> trayBlinkWorker_;
  UINT TaskbarCreatedMessage = 0;

  HICON largeIcon_ = nullptr;
  HICON SmallIcon = nullptr;
};

}  // namespace savrin
