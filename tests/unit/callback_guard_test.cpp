#include "platform/callback_guard.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

namespace savrin {
namespace {

TEST(CallGuarded, GivesTheBodysResultWhenNothingIsThrown) {
  int calls = 0;
  EXPECT_EQ(CallGuarded("a test", -1, [&] { return ++calls * 7; }), 7);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(CallGuarded("a test", [&] { ++calls; }));
  EXPECT_EQ(calls, 2);
}

TEST(CallGuarded, StopsAnyExceptionAndGivesTheFallback) {
  EXPECT_EQ(CallGuarded("a test", -1, []() -> int { throw std::bad_alloc(); }), -1);
  EXPECT_EQ(CallGuarded("a test", -2, []() -> int { throw std::runtime_error("broken"); }), -2);
  EXPECT_EQ(CallGuarded("a test", -3, []() -> int { throw 42; }), -3) << "not a std::exception";
  int calls = 0;
  EXPECT_FALSE(CallGuarded("a test", [&] {
    ++calls;
    throw std::bad_alloc();
  }));
  EXPECT_EQ(calls, 1) << "never run twice";
}

}  // namespace
}  // namespace savrin
