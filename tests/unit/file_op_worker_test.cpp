#include "sorting/file_op_worker.h"

#include <gtest/gtest.h>

#include <new>
#include <thread>
#include <vector>

#include "fake_file_system.h"
#include "fault_injecting_file_system.h"
#include "sorting/file_operation.h"

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

void Publish(FileOpHandOver& handOver, FileOpRequest& request, const std::u16string& from, const std::u16string& to) {
  from.copy(request.From, from.size());
  to.copy(request.To, to.size());
  SetRequestOperation(request, BuildConditionWord(0, 0, 1));  // move, rename on collision
  handOver.Publish(request);
  while (handOver.Busy()) std::this_thread::yield();  // the pass's wait, minus the messages
}

// An allocation that fails deep in an operation must not end the process,
// nor leave the pass waiting for a request that never clears, nor pass for
// success; and the worker is there for the next request.
TEST(FileOpWorker, ARequestThatThrowsIsReportedAbortedAndTheNextOneStillRuns) {
  FakeFileSystem disk;
  disk.MakeFolders(u"C:\\in");
  disk.MakeFolders(u"C:\\out");
  disk.WriteFile(u"C:\\in\\a.txt", "a");
  disk.WriteFile(u"C:\\in\\b.pdf", "b");
  FaultInjectingFileSystem fileSystem(disk);
  fileSystem.ReplaceNth(FsCall::MoveNoReplace, 1, [](const FsCallRecord&) -> Status { throw std::bad_alloc(); });

  FileOpHandOver handOver;
  std::atomic<int> finishedCount{0};
  FileOpWorker worker(
      handOver,
      [&](const FileOpRequest& request) { PerformFileOperation(fileSystem, ToFileOperation(request)); },
      [&] { ++finishedCount; });
  std::thread thread([&] { worker.Run(); });

  FileOpRequest thrown;
  Publish(handOver, thrown, u"C:\\in\\*.txt", u"C:\\out\\");
  FileOpRequest next;
  Publish(handOver, next, u"C:\\in\\*.pdf", u"C:\\out\\");
  while (finishedCount.load() < 2) std::this_thread::yield();
  worker.Stop();
  thread.join();

  EXPECT_EQ(thrown.AnyOperationsAborted, 1);
  EXPECT_TRUE(disk.Exists(u"C:\\in\\a.txt")) << "the file whose move threw is where it was";
  EXPECT_FALSE(disk.Exists(u"C:\\out\\a.txt"));
  EXPECT_EQ(next.AnyOperationsAborted, 0);
  EXPECT_EQ(disk.ReadFile(u"C:\\out\\b.pdf"), std::optional<std::string>("b"));
  EXPECT_FALSE(disk.Exists(u"C:\\in\\b.pdf"));
  EXPECT_EQ(fileSystem.CountOf(FsCall::MoveNoReplace), 2);
}

TEST(FileOpWorker, AWakeUpThatThrowsLeavesTheLoopRunning) {
  FileOpHandOver handOver;
  FileOpRequest request;
  std::atomic<int> performed{0};
  std::atomic<int> finishedCount{0};
  FileOpWorker worker(
      handOver, [&](const FileOpRequest&) { ++performed; },
      [&] {
        if (++finishedCount == 1) throw std::bad_alloc();
      });
  std::thread thread([&] { worker.Run(); });
  handOver.Publish(request);
  while (finishedCount.load() < 1) std::this_thread::yield();
  handOver.Publish(request);
  while (finishedCount.load() < 2) std::this_thread::yield();
  worker.Stop();
  thread.join();
  EXPECT_EQ(performed.load(), 2);
  EXPECT_EQ(request.AnyOperationsAborted, 0) << "the operations themselves went through";
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
