#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "platform/status.h"

namespace savrin {

// How many flushes are in flight at most.
inline constexpr unsigned kFlushThreads = 16;

// A batch of flushes, started at once on a small pool of threads made on
// first use and kept for the life of the process, while the caller goes on.
// Flushes in flight together are merged by the disk stack (the Linux block
// layer, Windows' disk class driver) and share a journal's commits, where
// the same flushes one after another each wait for the disk. Each is its
// own: one that fails fails only its own status.
class PendingFlushes {
 public:
  PendingFlushes();
  explicit PendingFlushes(std::vector<std::function<Status()>> flushes);
  PendingFlushes(PendingFlushes&&) noexcept;
  PendingFlushes& operator=(PendingFlushes&&) noexcept;
  ~PendingFlushes();  // waits

  // Waits until every flush has ended; their statuses in the order given
  // (none once taken).
  std::vector<Status> Wait();

  struct Batch;  // the pool's record of it

 private:
  std::unique_ptr<Batch> batch_;
};

}  // namespace savrin
