#include "platform/module_path.h"

namespace savrin {

std::u16string ProgramNameFromModulePath(const std::u16string& modulePath) {
  const auto slash = modulePath.find_last_of(u"\\/");
  std::u16string name = slash == std::u16string::npos ? modulePath : modulePath.substr(slash + 1);
  const auto dot = name.rfind(u'.');
  if (dot != std::u16string::npos) name.erase(dot);
  return name;
}

}  // namespace savrin
