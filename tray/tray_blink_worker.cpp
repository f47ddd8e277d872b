#include "tray/tray_blink_worker.h"

#include "tray/tray_icons.h"

namespace savrin {

TrayBlinkWorker::TrayBlinkWorker(TrayFlags& flags, const std::atomic<uint32_t>& passActive, TraySink& sink,
                                 Clock clock, Sleep sleep)
    : flags_(flags), passActive_(passActive), sink_(sink), clock_(std::move(clock)), sleep_(std::move(sleep)) {}

void TrayBlinkWorker::Run() {
  // Reset, then wait: a signal given before the thread started is dropped,
  // but nothing can signal before start-up has finished.
  flags_.TrayIconEvent.Reset();
  flags_.TrayIconEvent.Wait();
  while (!stopping_.load(std::memory_order_acquire)) {
    switch (Turn()) {
      case Next::LookAgain:
        break;
      case Next::SleepThenLook:
        sleep_(100);
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

TrayBlinkWorker::Next TrayBlinkWorker::Turn() {
  const uint32_t newShell = flags_.NewShellIcons.load();
  if (flags_.HiddenInTray.load() != 0 && passActive_.load() != 0) {
    const uint32_t phase = clock_() % 1000;
    if (phase < 500) {
      if (normalShown_) return Next::SleepThenLook;
      normalShown_ = true;
      sink_.ModifyIcon(TrayIconResource(TrayIconRole::Running, newShell));
    } else {
      if (!normalShown_) return Next::SleepThenLook;
      normalShown_ = false;
      restoreDue_ = true;
      sink_.ModifyIcon(TrayIconResource(TrayIconRole::Blink, newShell));
    }
    return Next::LookAgain;
  }
  if (restoreDue_) {
    restoreDue_ = false;
    sink_.ModifyIcon(StatusIconResource(flags_.TrayStatusCopy.load(), newShell));
  }
  return Next::WaitForSignal;
}

}  // namespace savrin
