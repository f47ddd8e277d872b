#include "settings/settings_load.h"

#include "settings/profile_number.h"
#include "settings/settings_keys.h"

namespace savrin {
namespace {

std::vector<SortRule> LoadRules(const IniDocument& doc) {
  std::vector<SortRule> rules;
  for (size_t i = 0;; ++i) {
    const std::u16string key = ListKey(i);
    auto source = ReadSetting(doc, kSourceSection, key);
    if (!source || source->empty()) break;
    rules.push_back(SortRule{std::move(*source), {}, {}, 0});
    auto destination = ReadSetting(doc, kDestinationSection, key);
    auto pattern = ReadSetting(doc, kPatternSection, key);
    const auto condition = ReadSetting(doc, kConditionSection, key);
    // A damaged rule keeps its row with the source alone rather than
    // vanishing, so the user still sees which folder it watched.
    if (!destination || destination->empty() || !pattern || pattern->empty() || !condition || condition->empty()) {
      break;
    }
    SortRule& rule = rules.back();
    rule.Destination = std::move(*destination);
    rule.Pattern = std::move(*pattern);
    rule.Condition = static_cast<ConditionWord>(ReadDecimal(*condition).value_or(0));
  }
  return rules;
}

std::vector<std::u16string> LoadHistory(const IniDocument& doc) {
  std::vector<std::u16string> history;
  for (size_t i = 0;; ++i) {
    auto entry = ReadSetting(doc, kHistorySection, ListKey(i));
    if (!entry || entry->empty()) break;
    history.push_back(std::move(*entry));
  }
  return history;
}

// The default stands in for an absent key only; a key that is present but
// holds no number reads as 0.
int32_t LoadNumber(const IniDocument& doc, std::u16string_view key, int32_t absent, bool hex) {
  const auto value = ReadSetting(doc, kOptionSection, key);
  if (!value) return absent;
  return (hex ? ReadHex(*value) : ReadDecimal(*value)).value_or(0);
}

}  // namespace

LoadedSettings LoadSettings(const IniDocument& doc) {
  LoadedSettings loaded;
  loaded.Rules = LoadRules(doc);
  loaded.History = LoadHistory(doc);
  loaded.IntervalSeconds = LoadNumber(doc, kIntervalKey, 60, false);
  loaded.MonitoringStopped = LoadNumber(doc, kStoppedKey, 1, false);
  loaded.HiddenInTray = LoadNumber(doc, kHiddenKey, 0, true);
  for (size_t column = 0; column < loaded.ColumnWidths.size(); ++column) {
    const auto value = ReadSetting(doc, kColumnSection, ListKey(column + 1));
    const auto width = value ? ReadDecimal(*value) : std::nullopt;
    if (width && *width >= 0) loaded.ColumnWidths[column] = *width & 0xFFFF;
  }
  return loaded;
}

}  // namespace savrin
