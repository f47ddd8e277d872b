#pragma once
#include <string>

namespace savrin {

// The settings file beside the executable: its full path with the last three
// characters replaced by "ini", whatever they were (D:\Tools\sorter.exe ->
// D:\Tools\sorter.ini, D:\Tools\sorter -> D:\Tools\sorini). A path shorter
// than three characters names no executable; the answer is then empty, which
// the file store refuses, so the program runs on defaults and writes nowhere.
std::u16string SettingsPathFor(const std::u16string& exePath);

}  // namespace savrin
