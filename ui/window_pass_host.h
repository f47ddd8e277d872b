#pragma once
#include <windows.h>

#include <functional>

#include "rules/rule_list.h"
#include "sorting/sorting_pass.h"

namespace savrin {

// The sorting pass's view of the main window and the platform: the title,
// the five edit buttons, the progress bar, a message pump without the
// dialog's pre-translation, and the file system through the engine.
class WindowPassHost : public SortingPassHost {
 public:
  struct FileSystemCalls {
    std::function<void(const std::u16string&)> makeFolderPathExist;
    std::function<bool(const std::u16string&)> anyEntryMatches;
  };
  WindowPassHost(HWND window, const RuleList& rules, std::function<void()> signalTrayIcon, FileSystemCalls files);

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
  uint32_t Milliseconds() override;
  int64_t CalendarSeconds() override;

 private:
  HWND window_;
  const RuleList& rules_;
  std::function<void()> signalTrayIcon_;
  FileSystemCalls files_;
  bool quitTaken_ = false;
  int quitCode_ = 0;
};

// Enables or disables the rule-editing buttons Add, Delete, Modify, Up and
// Down, in that order; nothing else.
void EnableEditButtons(HWND window, bool enable);

}  // namespace savrin
