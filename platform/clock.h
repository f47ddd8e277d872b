#pragma once
#include <cstdint>

namespace savrin {

// The two clocks the program reads and the one pause it takes. The sorting
// pass and the blinking thread are handed one by their owner, so tests run
// both on a simulated clock.
class Clock {
 public:
  virtual ~Clock() = default;
  // The millisecond clock: milliseconds since an arbitrary start (on Windows
  // the system's start), wrapping after 2^32. Its users look only at where
  // it stands within a second, its value modulo 1000, which a wrap (once in
  // 49.7 days) shifts once.
  virtual uint32_t Milliseconds() = 0;
  // The calendar clock, in whole seconds since 1970, as time() gives it.
  virtual int64_t CalendarSeconds() = 0;
  // Blocks the calling thread for `milliseconds`, or a little longer.
  virtual void SleepFor(uint32_t milliseconds) = 0;
};

// The platform's clocks. The instance keeps no state, so the one instance
// serves every thread at once.
Clock& PlatformClock();

}  // namespace savrin
