#include "sorting/temporary_name.h"

#include "platform/case_fold.h"

namespace savrin {
namespace {

constexpr std::u16string_view kPrefix = u"~SAVRIN-";
constexpr std::u16string_view kCurrentSuffix = u".PART";
constexpr std::u16string_view kEarlierSuffix = u".TMP";
constexpr size_t kDigits = 16;

bool IsHexDigit(char16_t c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }

}  // namespace

std::u16string TemporaryName(uint64_t unique) {
  std::u16string name = u"~savrin-";
  for (int shift = 60; shift >= 0; shift -= 4) name.push_back(u"0123456789abcdef"[(unique >> shift) & 0xF]);
  name += u".part";
  return name;
}

TemporaryKind KindOfTemporaryName(std::u16string_view name) {
  if (name.size() < kPrefix.size() + kDigits) return TemporaryKind::None;
  const std::u16string folded = FoldCase(name);
  const std::u16string_view view(folded);
  if (view.substr(0, kPrefix.size()) != kPrefix) return TemporaryKind::None;
  for (char16_t c : view.substr(kPrefix.size(), kDigits)) {
    if (!IsHexDigit(c)) return TemporaryKind::None;
  }
  const std::u16string_view suffix = view.substr(kPrefix.size() + kDigits);
  if (suffix == kCurrentSuffix) return TemporaryKind::Current;
  if (suffix == kEarlierSuffix) return TemporaryKind::Earlier;
  return TemporaryKind::None;
}

}  // namespace savrin
