#pragma once
#include <string>

namespace savrin {

// `path` in the form the wide file API takes past 260 characters:
// "\\?\C:\..." or "\\?\UNC\server\share\...", made absolute and cleaned up
// first. A path already in the "\\?\" form and a device path ("\\.\") are
// handed on as they are; one that cannot be made absolute is handed on
// unchanged, to fail in the call it is given to.
std::wstring ToWin32Path(const std::u16string& path);

}  // namespace savrin
