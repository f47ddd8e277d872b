#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/sort_rule.h"
#include "settings/ini_document.h"

namespace savrin {

// The program's state as it is written back on exit.
struct SettingsSnapshot {
  std::vector<SortRule> Rules;
  std::vector<std::u16string> History;
  int32_t IntervalSeconds = 60;
  int32_t MonitoringStopped = 1;
  int32_t HiddenInTray = 0;
  std::array<int, 3> ColumnWidths{};  // as the list shows them now
};

// Rewrites the rule and history sections whole, so that no key of a deleted
// rule or entry survives, then Option/Time, Status, Minimized and Column/1-3.
// Texts are cut at kMaxTextLength characters; condition words are written as
// signed decimals. Other sections and the window position stay as they are.
void SaveAllSettings(IniDocument& doc, const SettingsSnapshot& snapshot);

}  // namespace savrin
