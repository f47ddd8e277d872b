#include "sorting/file_op_worker.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace savrin {
namespace {

// The request carries its sequence number in its first character pair, so
// the worker can tell whether it saw a complete request.
void Stamp(FileOpRequest& request, uint32_t number) {
  request.From[0] = static_cast<char16_t>(number & 0xFFFF);
  request.From[1] = static_cast<char16_t>(number >> 16);
  request.To[0] = request.From[0];
  request.To[1] = request.From[1];
}
uint32_t NumberOf(const FileOpRequest& request) {
  return static_cast<uint32_t>(request.From[0]) | (static_cast<uint32_t>(request.From[1]) << 16);
}

TEST(FileOpWorker, EveryPublishedRequestIsPerformedOnceAndWhole) {
  constexpr uint32_t kRequests = 5000;
  FileOpHandOver handOver;
  FileOpRequest request;
  std::vector<int> seen(kRequests + 1, 0);
  bool torn = false;
  FileOpWorker worker(handOver, [&](const FileOpRequest& performed) {
    const uint32_t number = NumberOf(performed);
    if (performed.To[0] != performed.From[0] || performed.To[1] != performed.From[1]) torn = true;
    if (number <= kRequests) ++seen[number];
  });
  std::thread thread([&] { worker.Run(); });

  for (uint32_t number = 1; number <= kRequests; ++number) {
    while (handOver.Busy()) std::this_thread::yield();  // the pass's wait, minus the messages
    Stamp(request, number);
    handOver.Publish(request);
  }
  while (handOver.Busy()) std::this_thread::yield();
  worker.Stop();
  thread.join();

  EXPECT_FALSE(torn);
  for (uint32_t number = 1; number <= kRequests; ++number) ASSERT_EQ(seen[number], 1) << number;
}

TEST(FileOpWorker, ClearsThePointerOnlyAfterPerformingAndThenReportsIt) {
  FileOpHandOver handOver;
  FileOpRequest request;
  std::atomic<bool> pointerWasSetWhilePerforming{false};
  std::atomic<int> finishedCount{0};
  std::atomic<bool> clearedBeforeFinished{false};
  FileOpWorker worker(
      handOver, [&](const FileOpRequest&) { pointerWasSetWhilePerforming = handOver.Busy(); },
      [&] {
        clearedBeforeFinished = !handOver.Busy();
        ++finishedCount;
      });
  std::thread thread([&] { worker.Run(); });
  handOver.Publish(request);
  while (finishedCount.load() == 0) std::this_thread::yield();
  worker.Stop();
  thread.join();
  EXPECT_TRUE(pointerWasSetWhilePerforming);
  EXPECT_TRUE(clearedBeforeFinished);
  EXPECT_EQ(finishedCount.load(), 1);
}

TEST(ManualResetEvent, StaysSetUntilReset) {
  ManualResetEvent event;
  EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(1)));
  event.Set();
  EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds(0)));
  EXPECT_TRUE(event.WaitFor(std::chrono::milliseconds(0)));
  event.Reset();
  EXPECT_FALSE(event.WaitFor(std::chrono::milliseconds(1)));
}

}  // namespace
}  // namespace savrin
