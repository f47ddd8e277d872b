#include "sorting/numbered_name.h"

namespace savrin {

std::u16string_view NumberingStem(std::u16string_view name, bool isFolder) {
  const size_t dot = isFolder ? std::u16string_view::npos : name.rfind(u'.');
  return dot == 0 ? name : name.substr(0, dot);
}

std::u16string NumberedName(std::u16string_view name, unsigned number, bool isFolder) {
  const std::u16string_view stem = NumberingStem(name, isFolder);
  std::u16string numbered(stem);
  numbered += u" (";
  for (char c : std::to_string(number)) numbered.push_back(static_cast<char16_t>(c));
  numbered += u")";
  numbered.append(name.substr(stem.size()));
  return numbered;
}

unsigned NumberOfName(std::u16string_view candidate, std::u16string_view name, bool isFolder) {
  if (candidate == name) return 1;
  const std::u16string_view stem = NumberingStem(name, isFolder);
  const std::u16string_view extension = name.substr(stem.size());
  if (candidate.size() < stem.size() + extension.size() + 4 || candidate.substr(0, stem.size()) != stem ||
      candidate.substr(candidate.size() - extension.size()) != extension) {
    return 0;
  }
  const std::u16string_view middle =
      candidate.substr(stem.size(), candidate.size() - stem.size() - extension.size());  // " (N)"
  if (middle.substr(0, 2) != u" (" || middle.back() != u')') return 0;
  const std::u16string_view digits = middle.substr(2, middle.size() - 3);
  if (digits.empty() || digits.size() > 9 || digits.front() == u'0') return 0;
  unsigned number = 0;
  for (char16_t c : digits) {
    if (c < u'0' || c > u'9') return 0;
    number = number * 10 + static_cast<unsigned>(c - u'0');
  }
  return number >= 2 ? number : 0;
}

}  // namespace savrin
