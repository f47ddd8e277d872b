#pragma once
#include <string>
#include <string_view>

#include "settings/ini_document.h"
#include "settings/profile_number.h"
#include "settings/settings_encoding.h"
#include "settings/settings_keys.h"
#include "settings/settings_load.h"
#include "settings/settings_save.h"
#include "settings/window_rect.h"

// What must hold for any bytes found in a settings file, shared by the unit
// tests and the fuzz target: an empty answer, or what went wrong.
namespace savrin::invariants {

inline std::u16string DecodeLatin1(std::string_view bytes) {
  std::u16string text;
  for (const char byte : bytes) text += static_cast<char16_t>(static_cast<unsigned char>(byte));
  return text;
}

// Every answer the program ever asks of a document.
inline std::u16string ProgramAnswers(const IniDocument& doc) {
  std::u16string answers;
  const auto add = [&](std::u16string_view section, std::u16string_view key) {
    const auto value = doc.Get(section, key);
    answers += value ? u"=" + *value : u"-";
    answers += u'\n';
  };
  for (const auto section : {kSourceSection, kDestinationSection, kPatternSection, kConditionSection, kHistorySection}) {
    for (size_t i = 0; i < 8 || doc.Get(section, ListKey(i)); ++i) add(section, ListKey(i));
  }
  for (const auto key : {kIntervalKey, kStoppedKey, kHiddenKey, kTopKey, kLeftKey, kRightKey, kBottomKey}) {
    add(kOptionSection, key);
  }
  for (const auto key : {u"1", u"2", u"3"}) add(kColumnSection, key);
  return answers;
}

inline std::string Check(std::string_view bytes) {
  const IniDocument doc(DecodeSettingsBytes(bytes, DecodeLatin1));
  const LoadedSettings loaded = LoadSettings(doc);

  const IniDocument reparsed(doc.Serialize());
  if (ProgramAnswers(reparsed) != ProgramAnswers(doc)) return "a written document answers differently";
  if (!(LoadSettings(reparsed) == loaded)) return "a written document loads differently";

  // Any text, set as a value, reads back from the written file up to its
  // first line break.
  const std::u16string text = doc.Serialize().substr(0, 300);
  IniDocument edited = doc;
  edited.Set(kOptionSection, u"Probe", text);
  const auto probe = IniDocument(edited.Serialize()).Get(kOptionSection, u"Probe");
  if (probe != text.substr(0, text.find_first_of(u"\r\n"))) return "a value did not read back";

  // The state the program would hold, saved into the same document, loads
  // back as it was. Minimized is written in decimal but read in hex, which
  // is harmless only because the program keeps it a flag.
  SettingsSnapshot snapshot;
  snapshot.Rules = loaded.Rules;
  snapshot.History = loaded.History;
  snapshot.IntervalSeconds = loaded.IntervalSeconds;
  snapshot.MonitoringStopped = loaded.MonitoringStopped;
  snapshot.HiddenInTray = loaded.HiddenInTray != 0 ? 1 : 0;
  for (size_t i = 0; i < 3; ++i) snapshot.ColumnWidths[i] = loaded.ColumnWidths[i].value_or(static_cast<int>(100 + i));
  const WindowRect rect = ReadWindowRect(doc);
  IniDocument saved = doc;
  SaveAllSettings(saved, snapshot);
  const IniDocument reloaded(DecodeSettingsBytes(EncodeSettingsText(saved.Serialize()), DecodeLatin1));
  const LoadedSettings again = LoadSettings(reloaded);
  if (again.Rules != snapshot.Rules) return "rules changed through a save";
  if (again.History != snapshot.History) return "history changed through a save";
  if (again.IntervalSeconds != snapshot.IntervalSeconds || again.MonitoringStopped != snapshot.MonitoringStopped ||
      again.HiddenInTray != snapshot.HiddenInTray) {
    return "options changed through a save";
  }
  for (size_t i = 0; i < 3; ++i) {
    if (again.ColumnWidths[i] != snapshot.ColumnWidths[i]) return "column widths changed through a save";
  }
  if (!(ReadWindowRect(reloaded) == rect)) return "a save moved the window";
  return {};
}

}  // namespace savrin::invariants
