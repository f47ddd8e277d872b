#pragma once
// A pass host with a simulated clock and a simulated file-operation worker:
// an operation that is handed over "runs" for a set time of the simulated
// clock, which the pass is to be given, and ends while the pass waits. Every effect goes into one log, so
// tests can check the order of effects.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "rules/rule_list.h"
#include "sorting/sorting_pass.h"
#include "tests/unit/fake_clock.h"

namespace savrin::testing {

inline std::string Narrow(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

class FakePassHost : public SortingPassHost {
 public:
  explicit FakePassHost(SortState& state) : state_(state) {}

  RuleList rules;
  std::vector<std::string> log;
  std::vector<std::pair<uint64_t, std::u16string>> titles;  // (time, title) of every title change
  std::deque<std::function<void()>> messages;
  std::set<std::u16string> matchingPatterns;  // source patterns for which something matches
  std::u16string title = u"Savrin";
  FakeClock clock;  // the pass is to run on it; the waits move it on
  uint64_t operationMilliseconds = 100;
  std::vector<FileOpRequest> performed;
  int waits = 0;

  void AddRule(const char16_t* source, const char16_t* destination, const char16_t* pattern, ConditionWord word) {
    const int index = rules.InsertRule(rules.GetCount(), source);
    rules.SetText(index, kDestinationColumn, destination);
    rules.SetText(index, kPatternColumn, pattern);
    rules.SetWord(index, word);
  }

  int RuleCount() override { return rules.GetCount(); }
  std::optional<SortRule> ReadRule(int index) override {
    const SortRule* rule = rules.Rule(index);
    log.push_back("read " + std::to_string(index) + (rule ? "" : " (gone)"));
    if (rule == nullptr) return std::nullopt;
    return *rule;
  }
  std::u16string WindowTitle() override { return title; }
  void SetWindowTitle(const std::u16string& text) override {
    if (text != title) titles.emplace_back(clock.now, text);
    title = text;
  }
  void EnableEditButtons(bool enable) override { log.push_back(enable ? "buttons on" : "buttons off"); }
  void SetProgressPosition(uint32_t position) override { log.push_back("progress " + std::to_string(position)); }
  void SignalTrayIcon() override { log.push_back("tray"); }
  bool DispatchOneMessage() override {
    if (messages.empty()) return false;
    auto message = std::move(messages.front());
    messages.pop_front();
    message();
    return true;
  }
  void WaitForActivity(uint32_t milliseconds) override {
    ++waits;
    const uint64_t until = clock.now + milliseconds;
    if (state_.HandOver.Busy() && operationEnd_ <= until) {
      clock.now = operationEnd_;
      FinishOperation();
    } else {
      clock.now = until;
    }
  }
  void MakeFolderPathExist(const std::u16string& folder) override { log.push_back("mkdir " + Narrow(folder)); }
  bool AnyEntryMatches(const std::u16string& pattern) override {
    const bool match = matchingPatterns.count(pattern) != 0;
    log.push_back("match " + Narrow(pattern) + (match ? " yes" : " no"));
    if (match) operationEnd_ = clock.now + operationMilliseconds;  // published right after this
    return match;
  }
  // The title's addition as the string table has it; any other text the
  // pass asked for would show in a title as its number.
  std::u16string LoadText(TextId text) override {
    if (text == IDS_PROCESSING_TITLE_SUFFIX) return u" - 処理中 -";
    const std::string number = "<text " + std::to_string(text) + ">";
    return std::u16string(number.begin(), number.end());
  }

 private:
  void FinishOperation() {
    const FileOpRequest* request = state_.HandOver.PendingRequest.load();
    performed.push_back(*request);
    log.push_back("performed " + Narrow(BufferText(request->From)));
    state_.HandOver.PendingRequest.store(nullptr);
  }

  SortState& state_;
  uint64_t operationEnd_ = 0;
};

}  // namespace savrin::testing
