#pragma once
#include "sorting/sort_state.h"

namespace savrin {

// What a timer tick needs of the window.
class TickHost {
 public:
  virtual ~TickHost() = default;
  // Reads the form's controls; among them the stop check box into
  // state.MonitoringStopped.
  virtual void ReadForm() = 0;
  virtual void RunSortingPass() = 0;
  virtual void PostQuit() = 0;
  // Removes, translates and dispatches one waiting message, if any.
  virtual void DispatchOneMessage() = 0;
  virtual void SetProgressPosition(uint32_t position) = 0;
  virtual void SignalTrayIcon() = 0;
};

// One tick of the 100 ms timer. Time is counted in delivered ticks, ten to a
// second, and never while a pass runs; the tick after the interval has run
// out runs a pass; an exit that waits for a pass ends the program on the
// first tick with nothing running.
void OnSortTick(TickHost& host, SortState& state);

// The tray's "organize now": requests a pass for the next tick.
void OrganizeNow(TickHost& host, SortState& state);

}  // namespace savrin
