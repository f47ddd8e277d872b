#pragma once
#include <windows.h>

#include <optional>

#include "platform/file_system.h"
#include "platform/manual_reset_event.h"
#include "rules/rule_list.h"
#include "sorting/sorting_pass.h"
#include "ui/dialog_base.h"

namespace savrin {

// Takes one waiting message of this thread's queue and hands it straight to
// its window procedure, without any dialog's keyboard handling: Escape or
// Enter, which IsDialogMessage turns into the dialog's cancel or default
// command, cannot end the program from in here. A WM_QUIT is not
// dispatched: its exit code goes to `quitTaken` (a later one replacing an
// earlier one) and the caller decides when to post it again. Returns false
// when nothing was waiting.
bool DispatchOneMessage(std::optional<int>& quitTaken);

// The sorting pass's view of the main window and the platform: the title,
// the five edit buttons, the progress bar, a message pump without the
// dialog's pre-translation, and the file system through the engine. Lives
// for one pass, on the user-interface thread; `files` is that thread's own.
class WindowPassHost : public SortingPassHost {
 public:
  WindowPassHost(DialogBase& window, const RuleList& rules, ManualResetEvent& trayIconEvent, FileSystem& files);

  // A quit request the pass's pump took from the queue, to be posted again
  // once the pass is over: swallowing it would keep the program running.
  bool TakeQuitRequest(int& exitCode);

  int RuleCount() override;
  std::optional<SortRule> ReadRule(int index) override;
  std::u16string WindowTitle() override;
  void SetWindowTitle(const std::u16string& title) override;
  void EnableEditButtons(bool enable) override;
  void SetProgressPosition(uint32_t position) override;
  void SignalTrayIcon() override;
  bool DispatchOneMessage() override;
  void WaitForActivity(uint32_t milliseconds) override;
  void MakeFolderPathExist(const std::u16string& folderPath) override;
  bool AnyEntryMatches(const std::u16string& sourcePattern) override;
  std::u16string LoadText(TextId text) override;

 private:
  DialogBase& window_;
  const RuleList& rules_;
  ManualResetEvent& trayIconEvent_;
  FileSystem& files_;
  std::optional<int> quitTaken_;
};

// Enables or disables the rule-editing buttons Add, Delete, Modify, Up and
// Down, in that order; nothing else.
void EnableEditButtons(DialogBase& window, bool enable);

}  // namespace savrin
