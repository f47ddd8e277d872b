#pragma once
#include <atomic>
#include <cstdint>
#include "platform/clock.h"
#include "platform/manual_reset_event.h"

namespace savrin {

// Flags the user-interface thread writes and the blinking thread reads
// afresh on every turn. Every writer sets its flag before it signals
// TrayIconEvent.
struct TrayFlags {
  std::atomic<uint32_t> HiddenInTray{0};
  std::atomic<int32_t> TrayStatusCopy{0};
  std::atomic<uint32_t> NewShellIcons{0};
  ManualResetEvent TrayIconEvent;
};

// The blinking thread's only output: modify the existing tray icon to show
// the given icon resource. It never adds or deletes the icon.
class TraySink {
 public:
  virtual ~TraySink() = default;
  virtual void ModifyIcon(int iconResource) = 0;
};

// Blinks the tray icon while a pass is active and the window is hidden in
// the tray: the running icon in the first half of each second of the
// millisecond clock, the blink icon in the second half. When the blinking
// ends it puts the status icon back, if the blink icon was ever shown.
// `clock` gives the millisecond clock and the pause between looks; it is
// used from the blinking thread.
class TrayBlinkWorker {
 public:
  TrayBlinkWorker(TrayFlags& flags, const std::atomic<uint32_t>& passActive, TraySink& sink, Clock& clock);

  // The thread's body: reset and wait, then turn for ever (until Stop). An
  // exception from the sink or the clock ends that turn only.
  void Run();
  // For tests: ends Run at its next turn.
  void Stop();

  // One look at the flags and the clock, and what to do before the next.
  enum class Next { LookAgain, SleepThenLook, WaitForSignal };
  Next Turn();

 private:
  TrayFlags& flags_;
  const std::atomic<uint32_t>& passActive_;
  TraySink& sink_;
  Clock& clock_;
  std::atomic<bool> stopping_{false};
  // True after the running icon was sent, false after the blink icon; kept
  // from one spell of blinking to the next.
  bool normalShown_ = false;
  // Set when the blink icon was sent; the status icon is put back only then.
  bool restoreDue_ = false;
};

}  // namespace savrin
