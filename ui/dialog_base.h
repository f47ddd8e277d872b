#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace savrin {

// A dialog window built from a template, with a modal run of its own instead
// of DialogBox's: the run hands every fetched message to
// PreTranslateMessage first and never shows the window by itself, so a
// window that starts hidden stays hidden.
//
// The static dialog procedure keeps `this` in DWLP_USER and forwards to
// HandleMessage; no exception crosses back into the system (CallGuarded).
class DialogBase {
 public:
  explicit DialogBase(int templateId);
  virtual ~DialogBase() = default;
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;

  HWND Handle() const { return window_; }
  // A control of this dialog by id. Controls live as long as the window and
  // every look-up by id is a trip to the window server under some hosts (a
  // timer that reads a form ten times a second pays it each time), so each
  // handle is kept after its first look-up.
  HWND Control(int id) const;

  // The few things done to controls by id often enough to be worth a name;
  // each goes through Control's cache.
  std::wstring ItemText(int id) const;
  void SetItemText(int id, const std::wstring& text);
  void EnableItem(int id, bool enable);
  bool IsItemChecked(int id) const;
  // Focuses an edit control with its whole text selected and the caret
  // scrolled into view, as after the user tabbed into it.
  void FocusItemSelectingAll(int id);
  // A progress bar's range, from 0 to `maximum`, and its position in it.
  void SetItemProgressRange(int id, int maximum);
  void SetItemProgressPosition(int id, uint32_t position);

  // Creates the window, fetches and dispatches until EndModal or a quit
  // message, then hides and destroys the window. Returns the end code.
  INT_PTR RunModal(HWND owner);
  void EndModal(INT_PTR code);

 protected:
  // Runs after the template's initialisation data has filled the controls.
  // TRUE lets the system focus the first control in tab order.
  virtual BOOL OnInitDialog() { return TRUE; }
  // True when the message was handled and must not be dispatched.
  virtual bool PreTranslateMessage(MSG& message);
  // The result is the dialog procedure's: FALSE means default processing.
  virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void ApplyDialogInitData();

  int templateId_;
  HWND window_ = nullptr;
  bool modalRunning_ = false;
  INT_PTR endCode_ = 0;
  mutable std::vector<std::pair<int, HWND>> controls_;
};

}  // namespace savrin
