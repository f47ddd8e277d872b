// Real keyboard and mouse input for the end-to-end tests.
#include "tests/e2e/harness.h"

#include <commctrl.h>

#include <vector>

namespace savrin::e2e {

void FocusControl(HWND control) {
  HWND top = GetAncestor(control, GA_ROOT);
  const DWORD target = GetWindowThreadProcessId(control, nullptr);
  const DWORD self = GetCurrentThreadId();
  // Focus belongs to a thread's input state; sharing it for a moment lets
  // this thread set the focus in the program's window.
  AttachThreadInput(self, target, TRUE);
  SetForegroundWindow(top);
  SetFocus(control);
  AttachThreadInput(self, target, FALSE);
  WaitUntil([&] { return GetForegroundWindow() == top; }, 2000);
}

void SendKeyChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD key : keys) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    inputs.push_back(input);
  }
  for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = *it;
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(input);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(200);
}

void ClickScreenPoint(POINT point) {
  SetCursorPos(point.x, point.y);
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
  Sleep(200);
}

void MoveMouseTo(POINT point) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(point.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(point.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof(INPUT));
  Sleep(50);
}

POINT ListRowCentre(HWND list, int row) {
  // The row's rectangle, asked for in the program's own memory.
  RECT bounds{};
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  RECT request{LVIR_LABEL, 0, 0, 0};
  WriteProcessMemory(process, remote, &request, sizeof request, nullptr);
  SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
  ReadProcessMemory(process, remote, &bounds, sizeof bounds, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  POINT centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  ClientToScreen(list, &centre);
  return centre;
}

}  // namespace savrin::e2e
