#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace savrin {

// A manual-reset event: once set it stays set, waking every waiter, until
// reset. The workers' wake-up rule relies on that: a signal given between a
// worker's look at its flags and its wait is not lost, the wait returns at
// once.
class ManualResetEvent {
 public:
  void Set() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      signalled_ = true;
    }
    changed_.notify_all();
  }
  void Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
  }
  // True when the event was set within the time.
  bool WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return signalled_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace savrin
