#include "sorting/numbered_name.h"

namespace savrin {

std::u16string NumberedName(std::u16string_view name, unsigned number, bool isFolder) {
  std::u16string suffix = u" (";
  for (char c : std::to_string(number)) suffix.push_back(static_cast<char16_t>(c));
  suffix += u")";
  size_t dot = isFolder ? std::u16string_view::npos : name.rfind(u'.');
  if (dot == 0) dot = std::u16string_view::npos;
  std::u16string numbered(name.substr(0, dot));
  numbered += suffix;
  if (dot != std::u16string_view::npos) numbered.append(name.substr(dot));
  return numbered;
}

}  // namespace savrin
