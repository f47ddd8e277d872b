#pragma once
// What the native and the Windows benchmark share: repeated timing with a
// warm-up, the table of results, and a sorting-pass host that works on the
// real file system with a real file-operation thread, as the window does.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/manual_reset_event.h"
#include "rules/sort_rule.h"
#include "sorting/sort_state.h"
#include "sorting/sorting_pass.h"

namespace savrin::bench {

double Median(std::vector<double> values);
double Maximum(const std::vector<double>& values);

// One side of a comparison. `prepare` runs untimed before every run (fresh
// data, caches flushed), `run` is what is timed, `check` runs untimed after
// it and throws if the run did not do the job, so a fast no-op is never
// reported as a win.
struct Contender {
  std::string name;
  std::function<void()> prepare;
  std::function<void()> run;
  std::function<void()> check;
};

// Runs every contender once as a warm-up, then `repetitions` more times,
// interleaved so that a drift of the machine affects all sides alike, and
// each round led by another contender.
// `settle` runs between prepare and the clock's start: natively it writes
// back what the preparation left dirty, so that no side pays for another's
// data. Returns each contender's seconds, in the order given.
std::vector<std::vector<double>> Measure(int repetitions, const std::vector<Contender>& contenders,
                                         const std::function<void()>& settle = {});

// One line of the results. A target is the highest ratio ours/reference that
// counts as met, or for an absolute line the highest value of ours itself;
// none (0) for lines that only inform.
struct Row {
  Row(std::string what_, double ours_, std::string reference_, double referenceValue_, double target_ = 0,
      std::string unit_ = "s", std::string note_ = {})
      : what(std::move(what_)), ours(ours_), reference(std::move(reference_)), referenceValue(referenceValue_),
        target(target_), unit(std::move(unit_)), note(std::move(note_)) {}

  std::string what;
  double ours;
  std::string reference;
  double referenceValue;  // 0: no reference, no ratio
  double target;          // 0: informs only
  std::string unit;       // "s" for seconds, "us" for microseconds, "%" for shares
  std::string note;
  // The target applies to ours alone; the reference, if any, is shown for
  // comparison but no ratio is formed.
  bool absolute = false;
};

std::string FormatValue(double value, const std::string& unit);
// Prints a Markdown table: case, ours, reference, its median, ratio, target,
// whether the target holds, and the notes below it.
void PrintTable(const std::string& title, const std::vector<Row>& rows);

// Rules as the window's list holds them, read by the pass in order.
SortRule MakeRule(const std::u16string& source, const std::u16string& destination, const std::u16string& pattern,
                  SortMethod method, CollisionMode collision);

// A pass host without a window: no title, buttons, progress or tray to
// update, no messages to dispatch. The folder checks and match tests run on
// one file system on the calling thread and the operations on another, on
// a worker thread that wakes the waiting pass when it is done, as in the
// program.
class RealPassHost : public SortingPassHost {
 public:
  RealPassHost(std::unique_ptr<FileSystem> passFiles, std::unique_ptr<FileSystem> workerFiles);
  ~RealPassHost() override;
  RealPassHost(const RealPassHost&) = delete;
  RealPassHost& operator=(const RealPassHost&) = delete;

  std::vector<SortRule> rules;

  // One whole pass over the rules.
  void RunPass();

  int RuleCount() override { return static_cast<int>(rules.size()); }
  std::optional<SortRule> ReadRule(int index) override;
  std::u16string WindowTitle() override { return u"Savrin"; }
  void SetWindowTitle(const std::u16string&) override {}
  void EnableEditButtons(bool) override {}
  void SetProgressPosition(uint32_t) override {}
  void SignalTrayIcon() override {}
  bool DispatchOneMessage() override { return false; }
  void WaitForActivity(uint32_t milliseconds) override;
  void MakeFolderPathExist(const std::u16string& folderPath) override;
  bool AnyEntryMatches(const std::u16string& sourcePattern) override;
  std::u16string LoadText(TextId) override { return {}; }

 private:
  SortState state_;
  std::unique_ptr<FileSystem> passFiles_;
  std::unique_ptr<FileSystem> workerFiles_;
  ManualResetEvent operationEnded_;
  std::unique_ptr<FileOpWorker> worker_;
  std::thread thread_;
};

}  // namespace savrin::bench
