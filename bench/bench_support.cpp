#include "bench/bench_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "sorting/file_op_request.h"
#include "sorting/file_operation.h"
#include "sorting/folder_path.h"
#include "sorting/source_match.h"

namespace savrin::bench {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Maximum(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

std::vector<std::vector<double>> Measure(int repetitions, const std::vector<Contender>& contenders,
                                         const std::function<void()>& settle) {
  std::vector<std::vector<double>> seconds(contenders.size());
  for (int round = 0; round <= repetitions; ++round) {
    for (size_t turn = 0; turn < contenders.size(); ++turn) {
      // Each round starts with the next contender: which one goes first
      // measurably changes both sides' times on this machine.
      const size_t i = (turn + static_cast<size_t>(round)) % contenders.size();
      const Contender& contender = contenders[i];
      if (contender.prepare) contender.prepare();
      if (settle) settle();
      const auto start = std::chrono::steady_clock::now();
      contender.run();
      const auto end = std::chrono::steady_clock::now();
      if (contender.check) contender.check();
      const double taken = std::chrono::duration<double>(end - start).count();
      std::fprintf(stderr, "  %-44s %s %s\n", contender.name.c_str(), round == 0 ? "warm-up" : "run    ",
                   FormatValue(taken, "s").c_str());
      if (round > 0) seconds[i].push_back(taken);
    }
  }
  return seconds;
}

std::string FormatValue(double value, const std::string& unit) {
  char text[64];
  if (unit == "s") {
    if (value >= 10) {
      std::snprintf(text, sizeof text, "%.1f s", value);
    } else if (value >= 1) {
      std::snprintf(text, sizeof text, "%.2f s", value);
    } else if (value >= 0.01) {
      std::snprintf(text, sizeof text, "%.0f ms", value * 1e3);
    } else {
      std::snprintf(text, sizeof text, "%.2f ms", value * 1e3);
    }
  } else if (unit == "us") {
    std::snprintf(text, sizeof text, value >= 100 ? "%.0f us" : "%.1f us", value);
  } else if (unit == "%") {
    std::snprintf(text, sizeof text, value >= 1 ? "%.2f %%" : "%.3f %%", value);
  } else {
    std::snprintf(text, sizeof text, "%.3g %s", value, unit.c_str());
  }
  return text;
}

void PrintTable(const std::string& title, const std::vector<Row>& rows) {
  std::printf("\n### %s\n\n", title.c_str());
  std::printf("| case | ours | reference | reference median | ours/ref | target | holds |\n");
  std::printf("|---|---:|---|---:|---:|---:|---|\n");
  std::vector<std::string> notes;
  for (const Row& row : rows) {
    std::string ratio = "-";
    std::string reference = "-";
    if (row.reference != "-") {
      reference = FormatValue(row.referenceValue, row.unit);
      if (!row.absolute && row.referenceValue > 0) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f", row.ours / row.referenceValue);
        ratio = text;
      }
    }
    std::string target = "-";
    std::string holds = "-";
    if (row.target > 0) {
      char text[32];
      std::snprintf(text, sizeof text, "<= %.2f", row.target);
      target = row.absolute ? "<= " + FormatValue(row.target, row.unit) : text;
      const double measured = row.absolute ? row.ours : row.ours / row.referenceValue;
      holds = measured <= row.target ? "yes" : "NO";
    }
    std::string what = row.what;
    if (!row.note.empty()) {
      const auto found = std::find(notes.begin(), notes.end(), row.note);
      const size_t number = static_cast<size_t>(found - notes.begin()) + 1;
      if (found == notes.end()) notes.push_back(row.note);
      what += " [" + std::to_string(number) + "]";
    }
    std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", what.c_str(), FormatValue(row.ours, row.unit).c_str(),
                row.reference.c_str(), reference.c_str(), ratio.c_str(), target.c_str(), holds.c_str());
  }
  if (!notes.empty()) std::printf("\n");
  for (size_t i = 0; i < notes.size(); ++i) std::printf("[%zu] %s\n", i + 1, notes[i].c_str());
  std::fflush(stdout);
}

SortRule MakeRule(const std::u16string& source, const std::u16string& destination, const std::u16string& pattern,
                  SortMethod method, CollisionMode collision) {
  SortRule rule;
  rule.Source = source;
  rule.Destination = destination;
  rule.Pattern = pattern;
  const bool wildcard = pattern.find_first_of(u"*?") != std::u16string::npos;
  rule.Condition = BuildConditionWord(static_cast<int32_t>(method), static_cast<int32_t>(collision), wildcard ? 1 : 0);
  return rule;
}

RealPassHost::RealPassHost(std::unique_ptr<FileSystem> passFiles, std::unique_ptr<FileSystem> workerFiles)
    : passFiles_(std::move(passFiles)), workerFiles_(std::move(workerFiles)) {
  worker_ = std::make_unique<FileOpWorker>(
      state_.HandOver,
      [this](const FileOpRequest& request) { PerformFileOperation(*workerFiles_, ToFileOperation(request)); },
      [this] { operationEnded_.Set(); });
  thread_ = std::thread([this] { worker_->Run(); });
}

RealPassHost::~RealPassHost() {
  worker_->Stop();
  thread_.join();
}

void RealPassHost::RunPass() { RunSortingPass(*this, PlatformClock(), state_); }

std::optional<SortRule> RealPassHost::ReadRule(int index) {
  if (index < 0 || index >= RuleCount()) return std::nullopt;
  return rules[static_cast<size_t>(index)];
}

void RealPassHost::WaitForActivity(uint32_t milliseconds) {
  // Manual reset: an end signalled before this wait makes it return at
  // once; the pass looks at the hand-over again either way.
  operationEnded_.WaitFor(std::chrono::milliseconds(milliseconds));
  operationEnded_.Reset();
}

void RealPassHost::MakeFolderPathExist(const std::u16string& folderPath) {
  savrin::MakeFolderPathExist(*passFiles_, folderPath);
}

bool RealPassHost::AnyEntryMatches(const std::u16string& sourcePattern) {
  return savrin::AnyEntryMatches(*passFiles_, sourcePattern);
}

}  // namespace savrin::bench
