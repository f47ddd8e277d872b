#include "settings/settings_start.h"

#include <string>

#include "platform/path_text.h"

namespace savrin {

std::u16string UnreadableSettingsPath(const std::u16string& path, const std::u16string& stamp, int attempt) {
  const PathSplit split = SplitAtLastSeparator(path);
  const size_t dot = split.name.rfind(u'.');
  const std::u16string stem = dot == std::u16string::npos || dot == 0 ? split.name : split.name.substr(0, dot);
  const std::u16string extension = dot == std::u16string::npos || dot == 0 ? u"" : split.name.substr(dot);
  std::u16string name = stem + u".unreadable-" + stamp;
  if (attempt > 1) {
    const std::string number = std::to_string(attempt);
    name += u'-';
    name.append(number.begin(), number.end());
  }
  name += extension;
  return split.folder.empty() ? name : JoinPath(split.folder, name);
}

bool MoveUnreadableSettingsAside(const SettingsFileCalls& calls, const std::u16string& path,
                                 const std::u16string& stamp, std::u16string& keptAside) {
  constexpr int kNameAttempts = 9;
  for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
    const std::u16string aside = UnreadableSettingsPath(path, stamp, attempt);
    if (calls.exists(aside)) continue;
    if (calls.renameNoReplace(path, aside)) {
      keptAside = aside;
      return true;
    }
    if (!calls.exists(path)) return true;  // gone meanwhile: nothing is in the way
    if (!calls.exists(aside)) return false;  // held so that it cannot even be renamed
  }
  return false;
}

SettingsAtStart ReadSettingsAtStart(const SettingsFileCalls& calls, const std::u16string& path,
                                    const std::u16string& stamp) {
  SettingsAtStart result;
  for (int attempt = 1; attempt <= kSettingsReadAttempts; ++attempt) {
    result.bytes = calls.read(path);
    if (result.bytes || !calls.exists(path)) return result;
    if (attempt < kSettingsReadAttempts) calls.wait(kSettingsReadRetryMilliseconds);
  }
  result.writable = MoveUnreadableSettingsAside(calls, path, stamp, result.keptAside);
  return result;
}

}  // namespace savrin
