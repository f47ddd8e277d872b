#pragma once
#include <string>

namespace savrin {

// Rules and the settings path hold Windows-style texts; here a '\' is a
// separator like '/'. The result is UTF-8, as the POSIX calls take it.
std::string ToNative(const std::u16string& path);

}  // namespace savrin
