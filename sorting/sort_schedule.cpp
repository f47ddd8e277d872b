#include "sorting/sort_schedule.h"

namespace savrin {

void OnSortTick(TickHost& host, SortState& state) {
  const bool running = state.PassRunning || state.HandOver.Busy();
  if (state.ExitPending != 0) {
    if (!running) {
      host.PostQuit();
    } else {
      host.DispatchOneMessage();
    }
    return;
  }
  // A tick dispatched from inside a pass (its own waiting, or a message box
  // opened meanwhile) starts nothing and counts nothing.
  if (running) return;

  host.ReadForm();
  const bool requested = state.PassActive.load() != 0;
  if (!requested && state.MonitoringStopped != 0) return;
  if (requested || state.ElapsedSeconds > static_cast<uint32_t>(state.IntervalSeconds)) {
    host.RunSortingPass();
    return;
  }
  const uint32_t tick = state.TickCount++;
  if (tick % 10 == 0) {
    ++state.ElapsedSeconds;
    host.SetProgressPosition(state.ElapsedSeconds);
  }
}

void OrganizeNow(TickHost& host, SortState& state) {
  if (state.PassActive.load() != 0) return;
  state.PassActive.store(1);
  host.SignalTrayIcon();
}

}  // namespace savrin
