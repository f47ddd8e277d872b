#pragma once
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/flush_pool.h"
#include "platform/status.h"

namespace savrin {

// What a backend keeps for the copies it made with FlushLater: each one's
// open file (an Fd, a FileHandle), held until a flush takes it, and the
// batch being flushed on the flush pool. Used by one thread, as the
// backend is; the pool's threads only flush and close the files of the
// batch in flight, which stay here until it is waited for.
template <typename File>
class HeldCopies {
 public:
  // Opens a copy no longer held, to flush it all the same.
  using Open = std::function<Status(const std::u16string& path, File& file)>;
  // Flushes a file and closes it.
  using FlushAndClose = std::function<Status(File& file)>;

  void Hold(const std::u16string& path, File file) { held_[path] = std::move(file); }

  void StartFlushing(const std::vector<std::u16string>& paths, const Open& open, const FlushAndClose& flush) {
    inFlight_ = PendingFlushes();
    batch_.clear();
    batch_.resize(paths.size());
    std::vector<std::function<Status()>> flushes;
    for (size_t i = 0; i < paths.size(); ++i) {
      Copy& copy = batch_[i];
      const auto held = held_.find(paths[i]);
      if (held != held_.end()) {
        copy.file = std::move(held->second);
        held_.erase(held);
      } else {
        copy.opened = open(paths[i], copy.file);
      }
      flushes.push_back([&copy, flush]() { return copy.opened.IsOk() ? flush(copy.file) : copy.opened; });
    }
    inFlight_ = PendingFlushes(std::move(flushes));
  }

  std::vector<Status> FinishFlushing() {
    std::vector<Status> results = inFlight_.Wait();
    batch_.clear();
    return results;
  }

 private:
  struct Copy {
    File file;
    Status opened;
  };
  std::map<std::u16string, File> held_;
  std::vector<Copy> batch_;
  PendingFlushes inFlight_;
};

}  // namespace savrin
