#include "platform/callback_guard.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
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
