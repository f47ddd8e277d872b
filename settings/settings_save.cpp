#include "settings/settings_save.h"

#include "settings/profile_number.h"
#include "settings/settings_keys.h"

namespace savrin {

void SaveAllSettings(IniDocument& doc, const SettingsSnapshot& snapshot) {
  for (const auto section : {kSourceSection, kDestinationSection, kPatternSection, kConditionSection}) {
    doc.RemoveSection(section);
  }
  for (size_t i = 0; i < snapshot.Rules.size(); ++i) {
    const SortRule& rule = snapshot.Rules[i];
    const std::u16string key = ListKey(i);
    WriteSetting(doc, kSourceSection, key, rule.Source);
    WriteSetting(doc, kDestinationSection, key, rule.Destination);
    WriteSetting(doc, kPatternSection, key, rule.Pattern);
    // Signed (0xFFFF0000 is -65536), so that a reader that saturates at the
    // int32 range instead of wrapping still gets the same 32 bits back.
    const int64_t word = rule.Condition;
    WriteSetting(doc, kConditionSection, key, FormatDecimal(word >= 0x80000000 ? word - 0x100000000 : word));
  }
  doc.RemoveSection(kHistorySection);
  for (size_t i = 0; i < snapshot.History.size(); ++i) {
    WriteSetting(doc, kHistorySection, ListKey(i), snapshot.History[i]);
  }
  WriteSetting(doc, kOptionSection, kIntervalKey, FormatDecimal(snapshot.IntervalSeconds));
  WriteSetting(doc, kOptionSection, kStoppedKey, FormatDecimal(snapshot.MonitoringStopped));
  WriteSetting(doc, kOptionSection, kHiddenKey, FormatDecimal(snapshot.HiddenInTray));
  for (size_t column = 0; column < snapshot.ColumnWidths.size(); ++column) {
    WriteSetting(doc, kColumnSection, ListKey(column + 1), FormatDecimal(snapshot.ColumnWidths[column]));
  }
}

}  // namespace savrin
