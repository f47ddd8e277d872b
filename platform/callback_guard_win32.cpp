#include "platform/callback_guard.h"

#include <windows.h>

namespace savrin {

void ReportCaughtException(const char* boundary, const char* what) noexcept {
  ::OutputDebugStringA("Savrin: exception stopped in ");
  ::OutputDebugStringA(boundary);
  ::OutputDebugStringA(": ");
  ::OutputDebugStringA(what != nullptr ? what : "not a std::exception");
  ::OutputDebugStringA("\n");
}

}  // namespace savrin
