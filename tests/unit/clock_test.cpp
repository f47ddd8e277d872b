#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace savrin {
namespace {

// The sleep blocks for at least its time, and the millisecond clock counts
// that time in milliseconds: not seconds, not microseconds. The upper bound
// follows what a steady clock saw, so a slow machine cannot fail it.
TEST(PlatformClock, TheMillisecondClockCountsASleepInMilliseconds) {
  Clock& clock = PlatformClock();
  const auto startedAt = std::chrono::steady_clock::now();
  const uint32_t before = clock.Milliseconds();
  clock.SleepFor(60);
  const uint32_t counted = clock.Milliseconds() - before;  // unsigned: right across a wrap too
  const auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - startedAt);
  EXPECT_GE(slept.count(), 55);
  // The system's own timer may tick coarsely (about 16 ms on Windows).
  EXPECT_GE(counted, 40u);
  EXPECT_LE(counted, static_cast<uint32_t>(slept.count()) + 40u);
}

TEST(PlatformClock, TheCalendarClockCountsSecondsSince1970) {
  const int64_t expected =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  const int64_t seconds = PlatformClock().CalendarSeconds();
  EXPECT_GE(seconds, expected - 2);
  EXPECT_LE(seconds, expected + 2);
}

// The pass reads it on the user-interface thread while the blinking thread
// reads it too: one instance, read from two threads at once.
TEST(PlatformClock, OneInstanceServesTwoThreadsAtOnce) {
  EXPECT_EQ(&PlatformClock(), &PlatformClock());
  // Under ThreadSanitizer a state shared without care would show here.
  std::thread reader([] {
    for (int i = 0; i < 1000; ++i) PlatformClock().Milliseconds();
  });
  for (int i = 0; i < 1000; ++i) PlatformClock().Milliseconds();
  reader.join();
}

}  // namespace
}  // namespace savrin
