#pragma once
#include <windows.h>

#include <string>

namespace savrin {

// Every message of the program: modal, owned by the given window, with the
// warning icon and the executable's name without extension as caption.
// `buttons` is MB_OK, MB_OKCANCEL or MB_YESNO; returns the answer (IDOK...).
int ShowMessage(HWND owner, const std::wstring& text, UINT buttons);

}  // namespace savrin
