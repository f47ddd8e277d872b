#include "ui/window_pass_host.h"

#include "res/resource.h"
#include "sorting/folder_path.h"
#include "sorting/source_match.h"
#include "ui/win_text.h"

namespace savrin {

void EnableEditButtons(DialogBase& window, bool enable) {
  for (int id : {IDC_ADD_RULE, IDC_DELETE_RULE, IDC_MODIFY_RULE, IDC_MOVE_UP, IDC_MOVE_DOWN}) window.EnableItem(id, enable);
}

bool DispatchOneMessage(std::optional<int>& quitTaken) {
  MSG message;
  if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) return false;
  if (message.message == WM_QUIT) {
    quitTaken = static_cast<int>(message.wParam);
    return true;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

WindowPassHost::WindowPassHost(DialogBase& window, const RuleList& rules, ManualResetEvent& trayIconEvent,
                               FileSystem& files)
    : window_(window), rules_(rules), trayIconEvent_(trayIconEvent), files_(files) {}

bool WindowPassHost::TakeQuitRequest(int& exitCode) {
  if (!quitTaken_) return false;
  exitCode = *quitTaken_;
  quitTaken_.reset();
  return true;
}

int WindowPassHost::RuleCount() { return rules_.GetCount(); }

std::optional<SortRule> WindowPassHost::ReadRule(int index) {
  const SortRule* rule = rules_.Rule(index);
  if (rule == nullptr) return std::nullopt;
  return *rule;
}

std::u16string WindowPassHost::WindowTitle() { return FromWide(GetWindowTextString(window_.Handle())); }

// A caption change is a round trip to the window manager; an idle pass puts
// back the title it never changed, so an unchanged title is left alone.
void WindowPassHost::SetWindowTitle(const std::u16string& title) {
  const std::wstring wide = ToWide(title);
  if (GetWindowTextString(window_.Handle()) != wide) SetWindowTextW(window_.Handle(), wide.c_str());
}

void WindowPassHost::EnableEditButtons(bool enable) { savrin::EnableEditButtons(window_, enable); }

void WindowPassHost::SetProgressPosition(uint32_t position) {
  window_.SetItemProgressPosition(IDC_ELAPSED_PROGRESS, position);
}

void WindowPassHost::SignalTrayIcon() { trayIconEvent_.Set(); }

bool WindowPassHost::DispatchOneMessage() { return savrin::DispatchOneMessage(quitTaken_); }

void WindowPassHost::WaitForActivity(uint32_t milliseconds) {
  // The worker posts a message to the window when an operation ends, so a
  // wait for input also ends with the operation.
  MsgWaitForMultipleObjectsEx(0, nullptr, milliseconds, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void WindowPassHost::MakeFolderPathExist(const std::u16string& folderPath) {
  savrin::MakeFolderPathExist(files_, folderPath);
}

bool WindowPassHost::AnyEntryMatches(const std::u16string& sourcePattern) {
  return savrin::AnyEntryMatches(files_, sourcePattern);
}

std::u16string WindowPassHost::LoadText(TextId text) { return FromWide(LoadResourceString(text)); }

}  // namespace savrin
