#pragma once
#include <windows.h>

#include <string>

#include "ui/dialog_base.h"

namespace savrin {

// The main window (template 102).
class CFolderSortDlg : public DialogBase {
 public:
  CFolderSortDlg();

 protected:
  BOOL OnInitDialog() override;
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void AppendAboutMenuItem();
  void ApplyFormDefaults();
  void SetUpRuleListColumns();
  void PlaceWindow();

  bool OnSysCommand(WPARAM id);
  bool OnPaint();
  bool OnClose();
  void OnDestroy();

  HWND Control(int id) const { return GetDlgItem(Handle(), id); }

  // Text of the title bar while a pass runs.
  std::wstring ProcessingTitle;
  HICON LargeIcon = nullptr;
  HICON SmallIcon = nullptr;
};

}  // namespace savrin
