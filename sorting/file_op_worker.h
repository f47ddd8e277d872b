#pragma once
#include <atomic>
#include <functional>

#include "platform/manual_reset_event.h"
#include "sorting/file_op_request.h"

namespace savrin {

// The hand-over between the sorting pass and the file-operation thread. The
// pass fills the request completely while PendingRequest is null, then
// publishes it (store with release) and sets FileOpEvent; the worker reads
// the pointer with acquire, performs the request, and clears the pointer
// last. At most one request exists at a time.
struct FileOpHandOver {
  std::atomic<FileOpRequest*> PendingRequest{nullptr};
  ManualResetEvent FileOpEvent;

  bool Busy() const { return PendingRequest.load(std::memory_order_acquire) != nullptr; }
  void Publish(FileOpRequest& request) {
    PendingRequest.store(&request, std::memory_order_release);
    FileOpEvent.Set();
  }
};

// The worker loop: clear the event, then look at PendingRequest; perform and
// clear it when set, else wait for the event. Clearing before looking is what
// makes a request published at any moment be performed: one published after
// the look finds the event still set.
class FileOpWorker {
 public:
  using Perform = std::function<void(const FileOpRequest&)>;
  using Finished = std::function<void()>;

  // `finished` runs after each request has been cleared, on the worker
  // thread; the window uses it to wake the waiting pass. An exception from
  // `perform` ends that request only: it is cleared and reported like any
  // other, with AnyOperationsAborted set, and the loop goes on.
  FileOpWorker(FileOpHandOver& handOver, Perform perform, Finished finished = {});

  // Runs until Stop. The program never stops it: it ends with the process,
  // at a moment when no request is pending.
  void Run();
  // For tests: ends Run after the request in hand, if any.
  void Stop();

 private:
  void Complete(FileOpRequest& request);

  FileOpHandOver& handOver_;
  Perform perform_;
  Finished finished_;
  std::atomic<bool> stopping_{false};
};

}  // namespace savrin
