#include "tray/tray_blink_worker.h"

#include "platform/callback_guard.h"
#include "tray/tray_icons.h"

namespace savrin {

TrayBlinkWorker::TrayBlinkWorker(TrayFlags& flags, const std::atomic<uint32_t>& passActive, TraySink& sink,
                                 Clock& clock)
    : flags_(flags), passActive_(passActive), sink_(sink), clock_(clock) {}

void TrayBlinkWorker::Run() {
  // Reset, then wait: a signal given before the thread started is dropped,
  // but nothing can signal before start-up has finished.
  flags_.TrayIconEvent.Reset();
  flags_.TrayIconEvent.Wait();
  while (!stopping_.load(std::memory_order_acquire)) {
    // A turn that threw is taken again after the usual pause, not at once:
    // a sink that keeps failing must not turn this into a busy loop.
    switch (CallGuarded("the blinking worker", Next::SleepThenLook, [this] { return Turn(); })) {
      case Next::LookAgain:
        break;
      case Next::SleepThenLook:
        clock_.SleepFor(100);
        break;
      case Next::WaitForSignal:
        // Wait, then reset: a signal that came while blinking makes this wait
        // return at once, and the flags are read again after the reset.
        flags_.TrayIconEvent.Wait();
        flags_.TrayIconEvent.Reset();
        break;
    }
  }
}

void TrayBlinkWorker::Stop() {
  stopping_.store(true, std::memory_order_release);
  flags_.TrayIconEvent.Set();
}

// What was shown is recorded only once the sink has taken the icon, so a
// modify that threw is sent again at the next look.
TrayBlinkWorker::Next TrayBlinkWorker::Turn() {
  const uint32_t newShell = flags_.NewShellIcons.load();
  if (flags_.HiddenInTray.load() != 0 && passActive_.load() != 0) {
    const uint32_t phase = clock_.Milliseconds() % 1000;
    if (phase < 500) {
      if (normalShown_) return Next::SleepThenLook;
      sink_.ModifyIcon(TrayIconResource(TrayIconRole::Running, newShell));
      normalShown_ = true;
    } else {
      if (!normalShown_) return Next::SleepThenLook;
      // Due before the modify: one that threw may still have changed the icon.
      restoreDue_ = true;
      sink_.ModifyIcon(TrayIconResource(TrayIconRole::Blink, newShell));
      normalShown_ = false;
    }
    return Next::LookAgain;
  }
  if (restoreDue_) {
    sink_.ModifyIcon(StatusIconResource(flags_.TrayStatusCopy.load(), newShell));
    restoreDue_ = false;
  }
  return Next::WaitForSignal;
}

}  // namespace savrin
