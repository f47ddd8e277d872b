#include "platform/clock.h"

#include <windows.h>

#include <ctime>

namespace savrin {
namespace {

class Win32Clock final : public Clock {
 public:
  // GetTickCount counts what timeGetTime counts, milliseconds since the
  // system started, wrapping after 2^32, in steps of the system timer (10 to
  // 16 ms) where timeGetTime may step finer; half-second phases do not
  // notice. It lives in kernel32, which Windows always maps from the system
  // folder; winmm is no KnownDLL, and importing it let a winmm.dll placed
  // beside the exe run at start.
  uint32_t Milliseconds() override { return static_cast<uint32_t>(::GetTickCount()); }
  int64_t CalendarSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }
  void SleepFor(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

Clock& PlatformClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace savrin
