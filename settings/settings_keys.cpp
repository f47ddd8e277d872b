#include "settings/settings_keys.h"

#include "rules/sort_rule.h"
#include "settings/profile_number.h"

namespace savrin {

std::u16string ListKey(size_t index) { return FormatDecimal(static_cast<int64_t>(index)); }

std::optional<std::u16string> ReadSetting(const IniDocument& doc, std::u16string_view section,
                                          std::u16string_view key) {
  auto value = doc.Get(section, key);
  if (value && value->size() > kMaxTextLength) value->resize(kMaxTextLength);
  return value;
}

void WriteSetting(IniDocument& doc, std::u16string_view section, std::u16string_view key,
                  std::u16string_view value) {
  doc.Set(section, key, value.substr(0, kMaxTextLength));
}

}  // namespace savrin
