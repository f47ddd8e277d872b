#include "platform/clock.h"

#include <windows.h>

#include <mmsystem.h>

#include <ctime>

namespace savrin {
namespace {

class Win32Clock final : public Clock {
 public:
  uint32_t Milliseconds() override { return static_cast<uint32_t>(::timeGetTime()); }
  int64_t CalendarSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }
  void SleepFor(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

}  // namespace

Clock& PlatformClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace savrin
