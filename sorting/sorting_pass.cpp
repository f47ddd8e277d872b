#include "sorting/sorting_pass.h"

#include <algorithm>

#include "res/resource.h"

namespace savrin {
namespace {

// Blinking follows the millisecond clock's half seconds; before a pass is
// two calendar seconds old there is nothing to blink, but the calendar second
// can turn at any moment, so it is looked at this often.
constexpr uint32_t kCalendarPollMilliseconds = 50;

class PassRun {
 public:
  PassRun(SortingPassHost& host, Clock& clock, SortState& state)
      : host_(host),
        clock_(clock),
        state_(state),
        savedTitle_(host.WindowTitle()),
        startSeconds_(clock.CalendarSeconds()) {}

  void Run() {
    state_.ElapsedSeconds = 0;
    state_.Request.Flags = kBaseFileOpFlags;
    state_.Request.AnyOperationsAborted = 0;
    const int count = host_.RuleCount();
    state_.ProcessingTitle = savedTitle_ + host_.LoadText(IDS_PROCESSING_TITLE_SUFFIX);

    for (int index = 0; index < count; ++index) {
      state_.PassActive.store(1);
      host_.SignalTrayIcon();
      host_.EnableEditButtons(false);
      WaitForFileOp();
      HandOverRule(index);
    }
    WaitForFileOp();
    host_.EnableEditButtons(true);
    host_.SetWindowTitle(savedTitle_);
    if (state_.PassActive.load() == 1) {
      state_.PassActive.store(0);
      host_.SetProgressPosition(0);
    }
  }

 private:
  void HandOverRule(int index) {
    // The list may have shrunk while the pass waited: a position that holds
    // no rule any more is passed over.
    const std::optional<SortRule> rule = host_.ReadRule(index);
    if (!rule) return;
    FileOpRequest& request = state_.Request;
    if (!BuildRequestPaths(request, rule->Source, rule->Destination, rule->Pattern, rule->Condition)) return;
    host_.MakeFolderPathExist(DestinationFolderPath(request));
    SetRequestOperation(request, rule->Condition);
    if (host_.AnyEntryMatches(std::u16string(BufferText(request.From)))) state_.HandOver.Publish(request);
  }

  void WaitForFileOp() {
    while (state_.HandOver.Busy()) {
      const bool blinking = clock_.CalendarSeconds() - startSeconds_ > 1;
      if (blinking) UpdateTitle();
      if (host_.DispatchOneMessage()) continue;
      // Nothing to do until a message comes, the operation ends or the title
      // is due to change: block instead of spinning.
      const uint32_t untilHalfSecond = 500 - clock_.Milliseconds() % 500;
      host_.WaitForActivity(blinking ? untilHalfSecond : std::min(untilHalfSecond, kCalendarPollMilliseconds));
    }
  }

  // The processing title in the first half of each second of the millisecond
  // clock, the saved title in the second half; the clock is read afresh for
  // the second test.
  void UpdateTitle() {
    if (clock_.Milliseconds() % 1000 < 500 && !showingProcessingTitle_) {
      host_.SetWindowTitle(state_.ProcessingTitle);
      showingProcessingTitle_ = true;
    } else if (clock_.Milliseconds() % 1000 >= 500 && showingProcessingTitle_) {
      host_.SetWindowTitle(savedTitle_);
      showingProcessingTitle_ = false;
    }
  }

  SortingPassHost& host_;
  Clock& clock_;
  SortState& state_;
  const std::u16string savedTitle_;
  const int64_t startSeconds_;
  bool showingProcessingTitle_ = false;  // carries over from one wait to the next
};

}  // namespace

void RunSortingPass(SortingPassHost& host, Clock& clock, SortState& state) {
  state.PassRunning = true;
  PassRun(host, clock, state).Run();
  state.PassRunning = false;
}

}  // namespace savrin
