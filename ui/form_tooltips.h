#pragma once
#include <windows.h>

namespace savrin {

// The tips of the main window's controls, one tool per control, each tool
// the whole control window with the string resource of the control's id as
// its text. Mouse messages reach it through Relay, called for every message
// the window's own loop fetches.
class FormToolTip {
 public:
  void Create(HWND dialog);
  void Relay(const MSG& message) const;

 private:
  HWND tip_ = nullptr;
};

}  // namespace savrin
