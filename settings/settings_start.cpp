#include "settings/settings_start.h"

#include <chrono>
#include <string>
#include <thread>

#include "platform/path_text.h"
#include "platform/settings_file.h"

namespace savrin {

const SettingsFileCalls& PlatformSettingsFile() {
  static const SettingsFileCalls calls{
      ReadWholeFile, ExistsOnDisk,
      [](const std::u16string& from, const std::u16string& to) { return RenameNoReplace(from, to).IsOk(); },
      [](int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }};
  return calls;
}

std::u16string UnreadableSettingsPath(const std::u16string& path, const std::u16string& stamp, int attempt) {
  const PathSplit split = SplitAtLastSeparator(path);
  const size_t dot = split.Name.rfind(u'.');
  const std::u16string stem = dot == std::u16string::npos || dot == 0 ? split.Name : split.Name.substr(0, dot);
  const std::u16string extension = dot == std::u16string::npos || dot == 0 ? u"" : split.Name.substr(dot);
  std::u16string name = stem + u".unreadable-" + stamp;
  if (attempt > 1) {
    const std::string number = std::to_string(attempt);
    name += u'-';
    name.append(number.begin(), number.end());
  }
  name += extension;
  return split.Folder.empty() ? name : JoinPath(split.Folder, name);
}

bool MoveUnreadableSettingsAside(const std::u16string& path, const std::u16string& stamp, std::u16string& keptAside,
                                 const SettingsFileCalls& calls) {
  constexpr int kNameAttempts = 9;
  for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
    const std::u16string aside = UnreadableSettingsPath(path, stamp, attempt);
    if (calls.Exists(aside)) continue;
    if (calls.RenameNoReplace(path, aside)) {
      keptAside = aside;
      return true;
    }
    if (!calls.Exists(path)) return true;  // gone meanwhile: nothing is in the way
    if (!calls.Exists(aside)) return false;  // held so that it cannot even be renamed
  }
  return false;
}

SettingsAtStart ReadSettingsAtStart(const std::u16string& path, const std::u16string& stamp,
                                    const AnsiDecoder& ansi, const SettingsFileCalls& calls) {
  SettingsAtStart result;
  for (int attempt = 1; attempt <= kSettingsReadAttempts; ++attempt) {
    if (const std::optional<std::string> bytes = calls.Read(path)) {
      result.Document = IniDocument(DecodeSettingsBytes(*bytes, ansi));
      result.FileRead = true;
      return result;
    }
    if (!calls.Exists(path)) return result;
    if (attempt < kSettingsReadAttempts) calls.Wait(kSettingsReadRetryMilliseconds);
  }
  result.Writable = MoveUnreadableSettingsAside(path, stamp, result.KeptAside, calls);
  return result;
}

}  // namespace savrin
