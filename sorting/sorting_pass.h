#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/text_id.h"
#include "rules/sort_rule.h"
#include "sorting/sort_state.h"

namespace savrin {

// What the sorting pass needs of the window and the platform.
class SortingPassHost {
 public:
  virtual ~SortingPassHost() = default;
  virtual int RuleCount() = 0;
  // The rule now at `index`, or nothing when the list has shrunk below it.
  virtual std::optional<SortRule> ReadRule(int index) = 0;
  virtual std::u16string WindowTitle() = 0;
  virtual void SetWindowTitle(const std::u16string& title) = 0;
  virtual void EnableEditButtons(bool enable) = 0;
  virtual void SetProgressPosition(uint32_t position) = 0;
  virtual void SignalTrayIcon() = 0;
  // Removes, translates and dispatches one waiting message, without the
  // window's own pre-translation; false when none was waiting.
  virtual bool DispatchOneMessage() = 0;
  // Blocks until a message arrives, the operation in hand ends, or the time
  // runs out, whichever comes first.
  virtual void WaitForActivity(uint32_t milliseconds) = 0;
  virtual void MakeFolderPathExist(const std::u16string& folderPath) = 0;
  virtual bool AnyEntryMatches(const std::u16string& sourcePattern) = 0;
  // The words of one of the program's texts.
  virtual std::u16string LoadText(TextId text) = 0;
};

// One pass over every rule, in list order, handing at most one file
// operation at a time to the worker and waiting for each before it reads the
// next rule. Runs on the user-interface thread and keeps dispatching messages
// while it waits, so any handler can run in its middle. The title blinks on
// `clock`: its calendar seconds say when blinking may begin, its
// millisecond clock's half seconds when the title changes.
void RunSortingPass(SortingPassHost& host, Clock& clock, SortState& state);

}  // namespace savrin
