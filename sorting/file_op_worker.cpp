#include "sorting/file_op_worker.h"

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
      perform_(*request);
      handOver_.PendingRequest.store(nullptr, std::memory_order_release);
      if (finished_) finished_();
      continue;
    }
    handOver_.FileOpEvent.Wait();
  }
}

void FileOpWorker::Stop() {
  stopping_.store(true, std::memory_order_release);
  handOver_.FileOpEvent.Set();
}

}  // namespace savrin
