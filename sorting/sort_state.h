#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "sorting/file_op_request.h"
#include "sorting/file_op_worker.h"

namespace savrin {

// The schedule's and the pass's shared values. The window owns the one
// instance; only PassActive and the hand-over are read by other threads.
struct SortState {
  // 1 from the moment a pass is requested or a pass starts a rule, until the
  // pass ends. Read by the tray blinking thread.
  std::atomic<uint32_t> PassActive{0};
  // True only while RunSortingPass is on the stack: PassActive cannot tell a
  // requested pass from a running one, and a tick dispatched from inside a
  // running pass must start nothing and end nothing.
  bool PassRunning = false;
  uint32_t ExitPending = 0;

  int32_t IntervalSeconds = 60;  // compared as unsigned
  uint32_t ElapsedSeconds = 0;
  uint32_t TickCount = 0;         // never reset after start-up
  int32_t MonitoringStopped = 0;  // kept current by the form

  std::u16string ProcessingTitle;
  FileOpRequest Request;
  FileOpHandOver HandOver;

  bool Busy() const { return PassActive.load() != 0 || HandOver.Busy(); }
};

}  // namespace savrin
