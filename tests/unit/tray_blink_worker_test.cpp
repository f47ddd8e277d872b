#include "tray/tray_blink_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "tests/unit/fake_clock.h"
#include "tray/tray_icons.h"

namespace savrin {
namespace {

using savrin::testing::FakeClock;

class RecordingSink : public TraySink {
 public:
  explicit RecordingSink(FakeClock& clock) : clock_(clock) {}
  std::vector<std::pair<uint32_t, int>> modifies;  // (time, icon)
  void ModifyIcon(int icon) override { modifies.emplace_back(clock_.Milliseconds(), icon); }

 private:
  FakeClock& clock_;
};

class TrayBlinkTest : public ::testing::Test {
 protected:
  // Turns until the worker would wait for a signal or the time runs out,
  // sleeping on the simulated clock.
  TrayBlinkWorker::Next RunUntil(uint32_t end) {
    for (int guard = 0; guard < 100000; ++guard) {
      const TrayBlinkWorker::Next next = worker.Turn();
      if (next == TrayBlinkWorker::Next::WaitForSignal) return next;
      if (next == TrayBlinkWorker::Next::SleepThenLook) clock.SleepFor(100);
      if (clock.now >= end) return next;
    }
    ADD_FAILURE() << "the worker never slept";
    return TrayBlinkWorker::Next::WaitForSignal;
  }
  std::vector<int> Icons() const {
    std::vector<int> icons;
    for (const auto& modify : sink.modifies) icons.push_back(modify.second);
    return icons;
  }

  FakeClock clock;
  TrayFlags flags;
  std::atomic<uint32_t> passActive{0};
  RecordingSink sink{clock};
  TrayBlinkWorker worker{flags, passActive, sink, clock};
};

TEST_F(TrayBlinkTest, BlinksOnTheClocksHalfSecondsAndRestoresTheStatusIcon) {
  flags.NewShellIcons = 1;
  flags.HiddenInTray = 1;
  passActive = 1;
  clock.now = 10'250;  // first half, running icon not yet sent: sent at once
  RunUntil(12'000);
  ASSERT_GE(sink.modifies.size(), 4u);
  EXPECT_EQ(sink.modifies[0], std::make_pair(10'250u, 134));
  EXPECT_EQ(sink.modifies[1], std::make_pair(10'550u, 133)) << "within 100 ms after the half second";
  EXPECT_EQ(sink.modifies[2], std::make_pair(11'050u, 134));
  EXPECT_EQ(sink.modifies[3], std::make_pair(11'550u, 133));

  flags.TrayStatusCopy = 1;
  passActive = 0;
  const size_t before = sink.modifies.size();
  EXPECT_EQ(RunUntil(20'000), TrayBlinkWorker::Next::WaitForSignal);
  ASSERT_EQ(sink.modifies.size(), before + 1);
  EXPECT_EQ(sink.modifies.back().second, 132) << "the stopped icon comes back";
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::WaitForSignal);
  EXPECT_EQ(sink.modifies.size(), before + 1) << "restored once";
}

TEST_F(TrayBlinkTest, StartingInASecondHalfChangesNothingUntilTheNextFirstHalf) {
  flags.HiddenInTray = 1;
  passActive = 1;
  clock.now = 700;
  RunUntil(1'000);
  EXPECT_TRUE(sink.modifies.empty());
  RunUntil(1'100);
  EXPECT_EQ(Icons(), std::vector<int>{130}) << "16-colour set: running icon";
}

TEST_F(TrayBlinkTest, SpellThatEndsBeforeTheBlinkIconLeavesTheRunningIcon) {
  flags.HiddenInTray = 1;
  passActive = 1;
  clock.now = 100;
  RunUntil(400);
  passActive = 0;
  RunUntil(5'000);
  EXPECT_EQ(Icons(), std::vector<int>{130}) << "no blink icon was sent, so nothing is restored";
}

TEST_F(TrayBlinkTest, NormalShownCarriesIntoTheNextSpell) {
  flags.HiddenInTray = 1;
  passActive = 1;
  clock.now = 100;
  RunUntil(300);  // running icon sent
  passActive = 0;
  RunUntil(1'000);
  passActive = 1;
  clock.now = 1'600;  // a second half: the blink icon goes at once
  RunUntil(1'650);
  EXPECT_EQ(Icons(), (std::vector<int>{130, 129}));
}

TEST_F(TrayBlinkTest, ShownWindowOrNoPassMeansNoBlinking) {
  passActive = 1;
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::WaitForSignal);
  flags.HiddenInTray = 1;
  passActive = 0;
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::WaitForSignal);
  EXPECT_TRUE(sink.modifies.empty());
}

TEST_F(TrayBlinkTest, RestoringTheWindowEndsBlinkingWithinOneTurn) {
  flags.HiddenInTray = 1;
  passActive = 1;
  clock.now = 400;
  RunUntil(800);  // running, then blink at 500
  ASSERT_EQ(Icons(), (std::vector<int>{130, 129}));
  flags.HiddenInTray = 0;  // left click on the icon: the window is back
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::WaitForSignal);
  EXPECT_EQ(Icons(), (std::vector<int>{130, 129, 130})) << "the restore modify is sent (it finds no icon)";
}

TEST_F(TrayBlinkTest, MinimisingDuringAPassStartsBlinkingAtTheNextTurn) {
  passActive = 1;
  clock.now = 100;
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::WaitForSignal);
  flags.HiddenInTray = 1;  // the window signals after setting the flag
  worker.Turn();
  EXPECT_EQ(Icons(), std::vector<int>{130});
}

TEST_F(TrayBlinkTest, NeverMoreThanTwoModifiesASecond) {
  flags.HiddenInTray = 1;
  passActive = 1;
  clock.now = 0;
  RunUntil(10'000);
  for (size_t i = 2; i < sink.modifies.size(); ++i) {
    EXPECT_GE(sink.modifies[i].first - sink.modifies[i - 2].first, 900u) << i;
  }
  EXPECT_GE(sink.modifies.size(), 19u);
}

// A sink that fails on the next `failures` modifies, as the shell's does when
// it cannot allocate the tip text, and records the rest.
class FailingSink : public TraySink {
 public:
  int failures = 0;
  std::vector<int> icons;
  void ModifyIcon(int icon) override {
    if (failures > 0) {
      --failures;
      throw std::bad_alloc();
    }
    icons.push_back(icon);
  }
};

TEST(TrayBlinkTurn, AModifyThatThrewIsSentAgainAtTheNextLook) {
  TrayFlags flags;
  std::atomic<uint32_t> passActive{1};
  FakeClock clock;
  clock.now = 100;
  FailingSink sink;
  TrayBlinkWorker worker(flags, passActive, sink, clock);
  flags.HiddenInTray = 1;

  sink.failures = 1;
  EXPECT_THROW(worker.Turn(), std::bad_alloc);
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::LookAgain);
  EXPECT_EQ(sink.icons, std::vector<int>{130}) << "the running icon, sent again";

  clock.now = 600;
  sink.failures = 1;
  EXPECT_THROW(worker.Turn(), std::bad_alloc);
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::LookAgain);
  EXPECT_EQ(sink.icons, (std::vector<int>{130, 129})) << "the blink icon, sent again";

  passActive = 0;
  sink.failures = 1;
  EXPECT_THROW(worker.Turn(), std::bad_alloc);
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::WaitForSignal);
  EXPECT_EQ(sink.icons, (std::vector<int>{130, 129, 130})) << "the status icon, put back after all";
  EXPECT_EQ(worker.Turn(), TrayBlinkWorker::Next::WaitForSignal);
  EXPECT_EQ(sink.icons.size(), 3u) << "and only once";
}

TEST(TrayIcons, SetsAndRoles) {
  EXPECT_EQ(StatusIconResource(1, 0), 131);
  EXPECT_EQ(StatusIconResource(0, 0), 130);
  EXPECT_EQ(StatusIconResource(2, 0), 130) << "only exactly 1 counts as stopped";
  EXPECT_EQ(StatusIconResource(1, 1), 132);
  EXPECT_EQ(StatusIconResource(0, 1), 134);
  EXPECT_EQ(TrayIconResource(TrayIconRole::Blink, 0), 129);
  EXPECT_EQ(TrayIconResource(TrayIconRole::Blink, 1), 133);
}

TEST(TrayIcons, NewShellIconsByVersion) {
  struct Case {
    uint32_t major, minor, expected;
  } const cases[] = {{5, 1, 1}, {5, 2, 1}, {6, 1, 1}, {6, 2, 1}, {4, 10, 0}, {5, 0, 0}, {6, 0, 0}, {10, 0, 0}};
  for (const Case& c : cases) EXPECT_EQ(NewShellIconsFor(c.major, c.minor), c.expected) << c.major << "." << c.minor;
}

// What the thread did, as the thread did it.
class ThreadRecord : public TraySink {
 public:
  explicit ThreadRecord(const std::atomic<uint32_t>& clock) : clock_(clock) {}
  void ModifyIcon(int) override {
    std::lock_guard<std::mutex> lock(mutex_);
    modifiedAt_.push_back(clock_.load());
  }
  void Slept(uint32_t milliseconds) {
    std::lock_guard<std::mutex> lock(mutex_);
    sleeps_.push_back(milliseconds);
  }
  size_t Modifies() {
    std::lock_guard<std::mutex> lock(mutex_);
    return modifiedAt_.size();
  }
  std::vector<uint32_t> ModifiedAt() {
    std::lock_guard<std::mutex> lock(mutex_);
    return modifiedAt_;
  }
  std::vector<uint32_t> Sleeps() {
    std::lock_guard<std::mutex> lock(mutex_);
    return sleeps_;
  }

 private:
  const std::atomic<uint32_t>& clock_;
  std::mutex mutex_;
  std::vector<uint32_t> modifiedAt_;
  std::vector<uint32_t> sleeps_;
};

// The blinking thread's clock: it reads `now`, and each sleep, recorded,
// moves it on.
class SteppingClock : public Clock {
 public:
  SteppingClock(ThreadRecord& record, std::atomic<uint32_t>& now) : record_(record), now_(now) {}
  uint32_t Milliseconds() override { return now_.load(); }
  int64_t CalendarSeconds() override { return now_.load() / 1000; }
  void SleepFor(uint32_t milliseconds) override {
    record_.Slept(milliseconds);
    now_ += milliseconds;
    std::this_thread::yield();
  }

 private:
  ThreadRecord& record_;
  std::atomic<uint32_t>& now_;
};

// Runs the blinking thread on `clock`, each sleep moving it on, with `sink`
// as its output, until `record` holds `modifies` icon changes (ten seconds
// at most); then stops it. Returns the times of the changes as taken while
// it still blinked: the status icon's return comes at any look.
std::vector<uint32_t> BlinkOnAThread(ThreadRecord& record, std::atomic<uint32_t>& clock, TraySink& sink,
                                     size_t modifies) {
  TrayFlags flags;
  std::atomic<uint32_t> passActive{0};
  SteppingClock steppingClock(record, clock);
  TrayBlinkWorker worker(flags, passActive, sink, steppingClock);
  std::thread thread([&] { worker.Run(); });
  // Flag first, signal second, as every writer does. The thread resets the
  // event when it starts, dropping a signal that came before, so keep
  // signalling until it blinks, for a while at most.
  flags.HiddenInTray = 1;
  passActive = 1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (record.Modifies() < modifies && std::chrono::steady_clock::now() < deadline) {
    flags.TrayIconEvent.Set();
    std::this_thread::yield();
  }
  const std::vector<uint32_t> modifiedAt = record.ModifiedAt();
  passActive = 0;
  worker.Stop();
  thread.join();
  return modifiedAt;
}

// The thread looks every tenth of a second while it blinks, so each change
// of icon comes within 100 ms after the clock's half second; it wakes on the
// signal and ends on Stop.
TEST(TrayBlinkThread, LooksEveryTenthOfASecondWakesOnTheSignalAndStops) {
  std::atomic<uint32_t> clock{100};
  ThreadRecord record(clock);
  const std::vector<uint32_t> modifiedAt = BlinkOnAThread(record, clock, record, 5);

  ASSERT_GE(modifiedAt.size(), 5u) << "the thread never blinked";
  for (size_t i = 1; i < modifiedAt.size(); ++i) EXPECT_LT(modifiedAt[i] % 500, 100u) << "modify " << i;
  const std::vector<uint32_t> sleeps = record.Sleeps();
  ASSERT_FALSE(sleeps.empty());
  for (const uint32_t sleep : sleeps) EXPECT_EQ(sleep, 100u);
}

// The thread outlives a sink that throws: the turn is taken again after the
// usual pause, and the blinking goes on.
TEST(TrayBlinkThread, ASinkThatThrowsEndsOneTurnNotTheThread) {
  std::atomic<uint32_t> clock{100};
  ThreadRecord record(clock);
  class ThrowingFirst : public TraySink {
   public:
    explicit ThrowingFirst(ThreadRecord& record) : record_(record) {}
    std::atomic<int> calls{0};
    void ModifyIcon(int icon) override {
      if (calls.fetch_add(1) == 0) throw std::bad_alloc();
      record_.ModifyIcon(icon);
    }

   private:
    ThreadRecord& record_;
  } sink(record);
  const std::vector<uint32_t> modifiedAt = BlinkOnAThread(record, clock, sink, 3);

  EXPECT_GE(sink.calls.load(), 4) << "the first modify threw, and later ones came";
  ASSERT_GE(modifiedAt.size(), 3u);
  EXPECT_EQ(modifiedAt.front(), 200u) << "the running icon, sent again after one pause";
}

}  // namespace
}  // namespace savrin
