#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace savrin {
namespace {

// The steady clock stands in for the system's uptime: like the Windows tick
// count it never jumps with the calendar, and its low 32 bits of
// milliseconds wrap the same way.
class PosixClock final : public Clock {
 public:
  uint32_t Milliseconds() override {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
  }
  int64_t CalendarSeconds() override { return static_cast<int64_t>(std::time(nullptr)); }
  void SleepFor(uint32_t milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace

Clock& PlatformClock() {
  static PosixClock clock;
  return clock;
}

}  // namespace savrin
