#include "platform/path_posix.h"

#include "platform/utf.h"

namespace savrin {

std::string ToNative(const std::u16string& path) {
  std::string native = EncodeUtf8(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

}  // namespace savrin
