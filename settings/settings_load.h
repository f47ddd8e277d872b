#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rules/sort_rule.h"
#include "settings/ini_document.h"

namespace savrin {

// Everything the program takes from the settings file at start-up.
struct LoadedSettings {
  std::vector<SortRule> Rules;
  std::vector<std::u16string> History;  // file conditions offered again, in stored order
  int32_t IntervalSeconds = 60;         // taken as stored, not clamped
  int32_t MonitoringStopped = 1;
  int32_t HiddenInTray = 0;
  // A stored width of the rule list's columns, or nullopt to keep the width
  // the layout computes.
  std::array<std::optional<int>, 3> ColumnWidths;

  friend bool operator==(const LoadedSettings& a, const LoadedSettings& b) {
    return a.Rules == b.Rules && a.History == b.History && a.IntervalSeconds == b.IntervalSeconds &&
           a.MonitoringStopped == b.MonitoringStopped && a.HiddenInTray == b.HiddenInTray &&
           a.ColumnWidths == b.ColumnWidths;
  }
};

// Rules: Source/0, 1, ... until a key is absent or empty. A rule whose
// Destination, Pattern or Condition is absent or empty still loads with its
// source alone, and no rule after it loads. A Condition not beginning with a
// number is word 0. History: FilenamePattern/0, 1, ... until absent or empty.
// Options: Time (absent: 60) and Status (absent: 1) in decimal, Minimized
// (absent: 0) in hexadecimal; present but not a number is 0. Columns 1-3: a
// number >= 0 gives its low 16 bits as the width. Every value is cut at
// kMaxTextLength characters before it is used.
LoadedSettings LoadSettings(const IniDocument& doc);

}  // namespace savrin
