#include "platform/flush_pool.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/callback_guard.h"

namespace savrin {

struct PendingFlushes::Batch {
  std::vector<std::function<Status()>> flushes;
  std::vector<Status> results;
  size_t ended = 0;
  std::condition_variable allEnded;
};

namespace {

class FlushPool {
 public:
  FlushPool() {
    for (unsigned i = 0; i < kFlushThreads; ++i) std::thread([this] { Work(); }).detach();
  }

  void Start(PendingFlushes::Batch& batch) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (size_t i = 0; i < batch.flushes.size(); ++i) queue_.emplace_back(&batch, i);
    }
    added_.notify_all();
  }

  void Wait(PendingFlushes::Batch& batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    batch.allEnded.wait(lock, [&] { return batch.ended == batch.flushes.size(); });
  }

 private:
  void Work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      added_.wait(lock, [this] { return !queue_.empty(); });
      const auto [batch, index] = queue_.front();
      queue_.pop_front();
      lock.unlock();
      Status status = Status::Error(StatusCode::IoError, 0, "the flush threw");
      CallGuarded("flush", [&] { status = batch->flushes[index](); });
      lock.lock();
      batch->results[index] = std::move(status);
      if (++batch->ended == batch->flushes.size()) batch->allEnded.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable added_;
  std::deque<std::pair<PendingFlushes::Batch*, size_t>> queue_;
};

// Never destroyed: its threads wait for work until the process ends, as the
// program's other workers do.
FlushPool& Pool() {
  static FlushPool* const pool = new FlushPool();
  return *pool;
}

}  // namespace

PendingFlushes::PendingFlushes() = default;

PendingFlushes::PendingFlushes(std::vector<std::function<Status()>> flushes) : batch_(std::make_unique<Batch>()) {
  batch_->flushes = std::move(flushes);
  batch_->results.resize(batch_->flushes.size());
  if (!batch_->flushes.empty()) Pool().Start(*batch_);
}

PendingFlushes::PendingFlushes(PendingFlushes&&) noexcept = default;

PendingFlushes& PendingFlushes::operator=(PendingFlushes&& other) noexcept {
  if (this != &other) {
    Wait();
    batch_ = std::move(other.batch_);
  }
  return *this;
}

PendingFlushes::~PendingFlushes() { Wait(); }

std::vector<Status> PendingFlushes::Wait() {
  if (!batch_) return {};
  if (!batch_->flushes.empty()) Pool().Wait(*batch_);
  std::vector<Status> results = std::move(batch_->results);
  batch_.reset();
  return results;
}

}  // namespace savrin
