#include "sorting/sort_schedule.h"

#include <gtest/gtest.h>

#include "sorting/interval_text.h"

namespace savrin {
namespace {

class TickRecorder : public TickHost {
 public:
  explicit TickRecorder(SortState& state) : state_(state) {}
  int tick = 0;
  int formStopped = 0;  // what the check box shows
  std::vector<int> passTicks;
  std::vector<uint32_t> progress;
  int quits = 0;
  int dispatched = 0;
  int signals = 0;
  std::function<void()> duringPass;

  void ReadForm() override { state_.MonitoringStopped = formStopped; }
  void RunSortingPass() override {
    passTicks.push_back(tick);
    // What the real pass does to the schedule's values, on an empty list.
    state_.PassRunning = true;
    state_.ElapsedSeconds = 0;
    if (duringPass) duringPass();
    state_.PassRunning = false;
    if (state_.PassActive.load() == 1) state_.PassActive = 0;
  }
  void PostQuit() override { ++quits; }
  void DispatchOneMessage() override { ++dispatched; }
  void SetProgressPosition(uint32_t position) override { progress.push_back(position); }
  void SignalTrayIcon() override { ++signals; }

  void RunTicks(int count) {
    for (int i = 0; i < count; ++i) {
      ++tick;
      OnSortTick(*this, state_);
    }
  }

 private:
  SortState& state_;
};

class SortScheduleTest : public ::testing::Test {
 protected:
  SortState state;
  TickRecorder host{state};
};

TEST_F(SortScheduleTest, SixtySecondsFromAFreshStartPassesOnTick602ThenEvery611) {
  state.IntervalSeconds = 60;
  host.RunTicks(1);
  EXPECT_EQ(host.progress, std::vector<uint32_t>{1}) << "the bar shows 1 after the first tick";
  host.RunTicks(600);
  EXPECT_EQ(state.ElapsedSeconds, 61u);
  EXPECT_TRUE(host.passTicks.empty());
  host.RunTicks(1 + 611 + 611);
  EXPECT_EQ(host.passTicks, (std::vector<int>{602, 1213, 1824}));
}

TEST_F(SortScheduleTest, OneSecondIntervalPassesEveryTwentyOneTicks) {
  state.IntervalSeconds = 1;
  host.RunTicks(60);
  EXPECT_EQ(host.passTicks, (std::vector<int>{12, 33, 54}));
}

TEST_F(SortScheduleTest, IntervalIsComparedUnsigned) {
  state.IntervalSeconds = -1;  // as loaded from a settings file, unclamped
  host.RunTicks(2000);
  EXPECT_TRUE(host.passTicks.empty()) << "a negative interval never runs out";
  state.IntervalSeconds = 0;
  host.RunTicks(12);
  EXPECT_FALSE(host.passTicks.empty()) << "0 passes after every counted second";
}

TEST_F(SortScheduleTest, StoppedMonitoringFreezesTheCountAndResumesIt) {
  state.IntervalSeconds = 60;
  host.RunTicks(25);
  const uint32_t elapsed = state.ElapsedSeconds;
  const uint32_t ticks = state.TickCount;
  host.formStopped = 1;
  host.RunTicks(500);
  EXPECT_EQ(state.ElapsedSeconds, elapsed);
  EXPECT_EQ(state.TickCount, ticks);
  host.formStopped = 0;
  host.RunTicks(5);
  EXPECT_EQ(state.TickCount, ticks + 5);
}

TEST_F(SortScheduleTest, OrganizeNowRunsOnePassOnTheNextTickEvenWhenStopped) {
  host.formStopped = 1;
  OrganizeNow(host, state);
  OrganizeNow(host, state);
  EXPECT_EQ(host.signals, 1) << "a second request while one is pending does nothing";
  host.RunTicks(3);
  EXPECT_EQ(host.passTicks, std::vector<int>{1});
  EXPECT_EQ(state.PassActive.load(), 0u);
  EXPECT_EQ(state.ElapsedSeconds, 0u);
  EXPECT_EQ(state.MonitoringStopped, 1);
}

TEST_F(SortScheduleTest, TickDispatchedInsideAPassStartsNothingAndCountsNothing) {
  state.IntervalSeconds = 0;
  host.duringPass = [&] {
    state.PassActive = 1;  // a running pass holds it at 1, like a request does
    const uint32_t ticks = state.TickCount;
    host.RunTicks(30);
    EXPECT_EQ(state.TickCount, ticks);
  };
  host.RunTicks(12);
  EXPECT_EQ(host.passTicks.size(), 1u);
}

TEST_F(SortScheduleTest, PendingExitQuitsOnlyWhenNothingRuns) {
  state.ExitPending = 1;
  state.PassActive = 1;  // requested, not running: the request never runs
  FileOpRequest request;
  state.HandOver.PendingRequest = &request;
  host.RunTicks(3);
  EXPECT_EQ(host.quits, 0);
  EXPECT_EQ(host.dispatched, 3) << "one message a tick while waiting";
  state.HandOver.PendingRequest = nullptr;
  host.RunTicks(1);
  EXPECT_EQ(host.quits, 1);
  EXPECT_TRUE(host.passTicks.empty());
  EXPECT_TRUE(host.progress.empty()) << "no counting while an exit is pending";
}

TEST(IntervalText, TypedTextsBecomeWhatTheEditShows) {
  struct Case {
    const char16_t* typed;
    const char16_t* shown;
    std::optional<uint32_t> interval;
  } const cases[] = {
      {u"0", u"1", 1u},           {u"45", u"45", 45u},       {u"1000000", u"999999", 999999u},
      {u"-5", u"999999", 999999u}, {u"12abc", u"12", 12u},    {u"abc", u"30", std::nullopt},
      {u"", u"", std::nullopt},    {u" +7", u"7", 7u},        {u"99999999999999999999999", u"999999", 999999u},
      {u"-0", u"1", 1u},           {u"4294967297", u"999999", 999999u},
  };
  for (const Case& c : cases) {
    const IntervalEdit edit = ApplyIntervalText(u"30", c.typed);
    EXPECT_EQ(edit.Text, c.shown) << static_cast<int>(c.typed[0]);
    EXPECT_EQ(edit.NewInterval, c.interval) << static_cast<int>(c.typed[0]);
  }
}

TEST(IntervalText, SpinStaysWithinRange) {
  EXPECT_EQ(ApplyIntervalSpin(u"1", -1, 60), 1u);
  EXPECT_EQ(ApplyIntervalSpin(u"999999", 1, 60), 999999u);
  EXPECT_EQ(ApplyIntervalSpin(u"0", -1, 60), 999999u) << "below 0 wraps, then clamps to the top";
  EXPECT_EQ(ApplyIntervalSpin(u"45", 1, 60), 46u);
  EXPECT_EQ(ApplyIntervalSpin(u"", 1, 60), 61u) << "no number: the current interval stands in";
}

TEST(ReadLeadingNumber, ReadsLikePercentD) {
  EXPECT_EQ(ReadLeadingNumber(u"  -12x"), -12);
  EXPECT_EQ(ReadLeadingNumber(u"\t+3"), 3);
  EXPECT_EQ(ReadLeadingNumber(u"- 3"), std::nullopt);
  EXPECT_EQ(ReadLeadingNumber(u"x1"), std::nullopt);
  EXPECT_EQ(ReadLeadingNumber(u"-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ReadLeadingNumber(u"-99999999999999999999"), INT64_MIN);
  EXPECT_EQ(ReadLeadingNumber(u"９"), std::nullopt) << "full-width digits are no digits";
}

}  // namespace
}  // namespace savrin
