#pragma once
// A clock that moves only when a test or a fake moves it: a sleep moves it
// on by the time slept, and nothing else does.
#include <cstdint>

#include "platform/clock.h"

namespace savrin::testing {

class FakeClock : public Clock {
 public:
  uint64_t now = 0;              // simulated milliseconds since the clock's zero
  int64_t calendarOffsetMs = 0;  // where the calendar second turns relative to the ms clock

  uint32_t Milliseconds() override { return static_cast<uint32_t>(now); }
  int64_t CalendarSeconds() override { return (static_cast<int64_t>(now) + calendarOffsetMs) / 1000; }
  void SleepFor(uint32_t milliseconds) override { now += milliseconds; }
};

}  // namespace savrin::testing
