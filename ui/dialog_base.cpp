#include "ui/dialog_base.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "platform/callback_guard.h"
#include "res/resource.h"
#include "ui/win_text.h"

namespace savrin {

DialogBase::DialogBase(int templateId) : templateId_(templateId) {}

INT_PTR DialogBase::RunModal(HWND owner) {
  window_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), owner,
                               &DialogBase::DialogProc, reinterpret_cast<LPARAM>(this));
  if (window_ == nullptr) return -1;

  modalRunning_ = true;
  MSG message;
  while (modalRunning_) {
    const BOOL fetched = GetMessageW(&message, nullptr, 0, 0);
    if (fetched == 0 || fetched == -1) break;  // WM_QUIT, or a broken queue
    if (!PreTranslateMessage(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  modalRunning_ = false;

  ShowWindow(window_, SW_HIDE);
  DestroyWindow(window_);
  window_ = nullptr;
  // The controls went with the window; their handles may be reused.
  controls_.clear();
  return endCode_;
}

HWND DialogBase::Control(int id) const {
  for (const auto& [controlId, handle] : controls_) {
    if (controlId == id) return handle;
  }
  HWND handle = GetDlgItem(window_, id);
  if (handle != nullptr) controls_.emplace_back(id, handle);
  return handle;
}

std::wstring DialogBase::ItemText(int id) const { return GetWindowTextString(Control(id)); }

void DialogBase::SetItemText(int id, const std::wstring& text) { SetWindowTextW(Control(id), text.c_str()); }

void DialogBase::EnableItem(int id, bool enable) { EnableWindow(Control(id), enable ? TRUE : FALSE); }

bool DialogBase::IsItemChecked(int id) const {
  return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogBase::FocusItemSelectingAll(int id) {
  HWND edit = Control(id);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void DialogBase::SetItemProgressRange(int id, int maximum) {
  SendMessageW(Control(id), PBM_SETRANGE32, 0, static_cast<LPARAM>(maximum));
}

void DialogBase::SetItemProgressPosition(int id, uint32_t position) {
  SendMessageW(Control(id), PBM_SETPOS, position, 0);
}

void DialogBase::EndModal(INT_PTR code) {
  endCode_ = code;
  modalRunning_ = false;
  // The loop may be blocked in GetMessageW while a nested loop (a message
  // box) ended us: give it a message to wake up on.
  if (window_ != nullptr) PostMessageW(window_, WM_NULL, 0, 0);
}

bool DialogBase::PreTranslateMessage(MSG& message) {
  return window_ != nullptr && IsDialogMessageW(window_, &message);
}

INT_PTR DialogBase::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndModal(LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

void DialogBase::ApplyDialogInitData() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(templateId_), MAKEINTRESOURCEW(RT_DIALOG_INIT));
  if (info == nullptr) return;
  HGLOBAL loaded = LoadResource(module, info);
  const auto* data = static_cast<const char*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, info);
  if (data == nullptr) return;

  // Entries are packed without alignment, hence the memcpy of each WORD.
  DWORD at = 0;
  while (at + 2 * sizeof(WORD) <= size) {
    WORD controlId = 0;
    WORD message = 0;
    std::memcpy(&controlId, data + at, sizeof controlId);
    if (controlId == 0) break;
    std::memcpy(&message, data + at + sizeof(WORD), sizeof message);
    at += 2 * sizeof(WORD);
    const char* text = data + at;
    const size_t length = strnlen(text, size - at);
    if (at + length >= size) break;  // no terminator inside the resource: damaged, stop
    const std::wstring wide = Utf8ToWide(text);
    SendDlgItemMessageW(window_, controlId, message, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    at += static_cast<DWORD>(length + 1);
  }
}

// A message whose handler threw is left to default processing.
INT_PTR CALLBACK DialogBase::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallGuarded("a dialog procedure", INT_PTR{FALSE}, [&]() -> INT_PTR {
    if (message == WM_INITDIALOG) {
      auto* self = reinterpret_cast<DialogBase*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      self->window_ = window;
      self->ApplyDialogInitData();
      return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<DialogBase*>(GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) return FALSE;  // messages that come before WM_INITDIALOG
    return self->HandleMessage(message, wParam, lParam);
  });
}

}  // namespace savrin
