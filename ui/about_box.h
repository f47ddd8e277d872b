#pragma once
#include <windows.h>

namespace savrin {

// The About box (template 100). It has no state of its own: OK, Escape and
// the close box end it. At most one is open at a time; a second request
// while it is open does nothing.
void ShowAboutBox(HWND owner);

}  // namespace savrin
