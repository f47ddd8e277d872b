#include "ui/form_tooltips.h"

#include <commctrl.h>

#include "res/resource.h"

namespace savrin {
namespace {

constexpr int kToolControls[] = {
    IDC_ADD_RULE,         IDC_MODIFY_RULE,     IDC_DELETE_RULE,   IDC_RULE_LIST,       IDC_SOURCE_EDIT,
    IDC_DESTINATION_EDIT, IDC_BROWSE_SOURCE,   IDC_BROWSE_DESTINATION, IDC_METHOD_COMBO, IDC_COLLISION_COMBO,
    IDC_CONDITION_COMBO,  IDC_MOVE_UP,         IDC_MOVE_DOWN,     IDC_ADD_PATTERN,     IDC_DELETE_PATTERN,
    IDC_INTERVAL_EDIT,    IDC_STOP_MONITORING, IDC_INTERVAL_SPIN, IDC_ELAPSED_PROGRESS,
};

}  // namespace

void FormToolTip::Create(HWND dialog) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  tip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, instance, nullptr);
  if (tip_ == nullptr) return;
  // A maximum width makes the tip honour the line breaks in the list's tip.
  SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 512);
  SendMessageW(tip_, TTM_ACTIVATE, TRUE, 0);
  for (int id : kToolControls) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
    tool.hinst = instance;
    tool.lpszText = MAKEINTRESOURCEW(id);
    SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// Only presses, releases and moves; double clicks and the wheel are not relayed.
void FormToolTip::Relay(const MSG& message) const {
  switch (message.message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      if (tip_ != nullptr) SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
      break;
    default:
      break;
  }
}

}  // namespace savrin
