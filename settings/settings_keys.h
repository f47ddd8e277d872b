#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ini_document.h"

namespace savrin {

// Sections and keys of the settings file. Renaming any of them loses every
// user's settings on the next start.
inline constexpr std::u16string_view kSourceSection = u"Source";
inline constexpr std::u16string_view kDestinationSection = u"Destination";
inline constexpr std::u16string_view kPatternSection = u"Pattern";
inline constexpr std::u16string_view kConditionSection = u"Condition";
inline constexpr std::u16string_view kHistorySection = u"FilenamePattern";
inline constexpr std::u16string_view kOptionSection = u"Option";
inline constexpr std::u16string_view kColumnSection = u"Column";

inline constexpr std::u16string_view kIntervalKey = u"Time";
inline constexpr std::u16string_view kStoppedKey = u"Status";
inline constexpr std::u16string_view kHiddenKey = u"Minimized";
inline constexpr std::u16string_view kTopKey = u"Top";
inline constexpr std::u16string_view kLeftKey = u"Left";
inline constexpr std::u16string_view kRightKey = u"Right";
inline constexpr std::u16string_view kBottomKey = u"Bottom";

// The key of the index-th entry of a list section: "0", "1", ...
std::u16string ListKey(size_t index);

// A value as the program uses it: cut at kMaxTextLength characters, the size
// of the buffers it has always been read into.
std::optional<std::u16string> ReadSetting(const IniDocument& doc, std::u16string_view section,
                                          std::u16string_view key);

// The value cut the same way before it is written.
void WriteSetting(IniDocument& doc, std::u16string_view section, std::u16string_view key,
                  std::u16string_view value);

}  // namespace savrin
