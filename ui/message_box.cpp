#include "ui/message_box.h"

#include "platform/module_path.h"
#include "ui/win_text.h"

namespace savrin {

int ShowMessage(HWND owner, const std::wstring& text, UINT buttons) {
  const std::wstring caption = ToWide(ProgramNameFromModulePath(FromWide(ModuleFilePath())));
  return MessageBoxW(owner, text.c_str(), caption.c_str(), buttons | MB_ICONEXCLAMATION);
}

}  // namespace savrin
