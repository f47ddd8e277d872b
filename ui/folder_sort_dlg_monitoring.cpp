// The main window's sorting: the timer tick's view of the window, the pass
// it runs, the file-operation thread, and the monitoring options (the
// interval and the stop check box) that steer the schedule.
#include <windows.h>

#include <optional>
#include <thread>

#include "platform/callback_guard.h"
#include "res/resource.h"
#include "sorting/file_operation.h"
#include "sorting/interval_text.h"
#include "sorting/sorting_pass.h"
#include "ui/folder_sort_dlg.h"
#include "ui/window_pass_host.h"

namespace savrin {

void CFolderSortDlg::StartFileOpWorker() {
  HWND window = Handle();
  // On the file-operation thread, with that thread's own file system.
  fileOpWorker_ = std::make_unique<FileOpWorker>(
      sort_.HandOver,
      [this](const FileOpRequest& request) { PerformFileOperation(*workerFileSystem_, ToFileOperation(request)); },
      // Wakes the pass, which waits for input while the operation runs.
      [window] { PostMessageW(window, WM_NULL, 0, 0); });
  // Never joined: the thread ends with the process, which ends only while no
  // request is pending.
  std::thread([worker = fileOpWorker_.get()] {
    CallGuarded("the file-operation thread", [worker] { worker->Run(); });
  }).detach();
}

void CFolderSortDlg::RunSortingPass() {
  WindowPassHost host(*this, rules_, tray_.TrayIconEvent, *passFileSystem_);
  savrin::RunSortingPass(host, clock_, sort_);
  int exitCode = 0;
  if (host.TakeQuitRequest(exitCode)) PostQuitMessage(exitCode);
}

void CFolderSortDlg::PostQuit() { PostQuitMessage(0); }

// Outside a pass a quit that was taken goes straight back to the queue, for
// the modal run to end on.
void CFolderSortDlg::DispatchOneMessage() {
  std::optional<int> quitTaken;
  savrin::DispatchOneMessage(quitTaken);
  if (quitTaken) PostQuitMessage(*quitTaken);
}

void CFolderSortDlg::SetProgressPosition(uint32_t position) {
  SetItemProgressPosition(IDC_ELAPSED_PROGRESS, position);
}

void CFolderSortDlg::SignalTrayIcon() { tray_.TrayIconEvent.Set(); }

void CFolderSortDlg::SetInterval(int32_t seconds) {
  form_.IntervalText = NumberText(seconds);
  sort_.ElapsedSeconds = 0;
  sort_.IntervalSeconds = seconds;
  SetItemProgressRange(IDC_ELAPSED_PROGRESS, seconds);
  SetItemProgressPosition(IDC_ELAPSED_PROGRESS, 0);
}

void CFolderSortDlg::OnIntervalChange() {
  const std::u16string previous = form_.IntervalText;
  ReadForm();
  const IntervalEdit edit = ApplyIntervalText(previous, form_.IntervalText);
  if (edit.NewInterval) {
    SetInterval(static_cast<int32_t>(*edit.NewInterval));
  } else {
    form_.IntervalText = edit.Text;
  }
  WriteForm();
  ReadForm();
  SaveAllSettings();
}

void CFolderSortDlg::OnIntervalKillFocus() {
  form_.IntervalText = NumberText(sort_.IntervalSeconds);
  WriteForm();
}

void CFolderSortDlg::OnIntervalSpin(int delta) {
  ReadForm();
  SetInterval(static_cast<int32_t>(ApplyIntervalSpin(form_.IntervalText, delta, static_cast<uint32_t>(sort_.IntervalSeconds))));
  WriteForm();
  FocusItemSelectingAll(IDC_INTERVAL_EDIT);
  ReadForm();
  SaveAllSettings();
}

void CFolderSortDlg::OnStopMonitoringClick() {
  ReadForm();
  tray_.TrayStatusCopy = sort_.MonitoringStopped;
}

}  // namespace savrin
