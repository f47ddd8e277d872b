#include "platform/settings_file.h"

namespace savrin {

std::u16string TempPathFor(const std::u16string& path, uint64_t unique) {
  std::u16string name = path + u".savrin-";
  for (int shift = 60; shift >= 0; shift -= 4) name += u"0123456789abcdef"[(unique >> shift) & 0xF];
  return name + u".tmp";
}

}  // namespace savrin
