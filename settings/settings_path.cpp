#include "settings/settings_path.h"

namespace savrin {

std::u16string SettingsPathFor(const std::u16string& exePath) {
  if (exePath.size() < 3) return {};
  return exePath.substr(0, exePath.size() - 3) + u"ini";
}

}  // namespace savrin
