#include "sorting/file_op_worker.h"

#include "platform/callback_guard.h"

namespace savrin {

FileOpWorker::FileOpWorker(FileOpHandOver& handOver, Perform perform, Finished finished)
    : handOver_(handOver), perform_(std::move(perform)), finished_(std::move(finished)) {}

// The stop flag is read after the event is cleared, like the request: a
// Stop between a look at the flag and the clearing would otherwise have its
// wake-up cleared away, and the loop would wait for ever.
void FileOpWorker::Run() {
  for (;;) {
    handOver_.FileOpEvent.Reset();
    if (stopping_.load(std::memory_order_acquire)) return;
    if (FileOpRequest* request = handOver_.PendingRequest.load(std::memory_order_acquire)) {
      Complete(*request);
      continue;
    }
    handOver_.FileOpEvent.Wait();
  }
}

// A request that threw is cleared and announced all the same: the pass waits
// for the pointer to clear and would otherwise wait for ever. It is marked
// as aborted, never as done: the operation stopped between two of its steps,
// which leaves the files as the process dying there would (each where it was
// or complete where it went), and the next pass takes up what is left.
void FileOpWorker::Complete(FileOpRequest& request) {
  if (!CallGuarded("the file-operation worker", [&] { perform_(request); })) request.AnyOperationsAborted = 1;
  handOver_.PendingRequest.store(nullptr, std::memory_order_release);
  if (finished_) CallGuarded("the file-operation worker's wake-up", finished_);
}

void FileOpWorker::Stop() {
  stopping_.store(true, std::memory_order_release);
  handOver_.FileOpEvent.Set();
}

}  // namespace savrin
