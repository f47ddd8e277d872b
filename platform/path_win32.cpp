#include "platform/path_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide text is UTF-16");

namespace savrin {

// Paths go to the file API as "\\?\C:\..." or "\\?\UNC\server\share\...":
// past 260 characters a folder tree still works. That form skips Win32's own
// clean-up ('/' to '\', "." and "..", trailing dots and spaces), so
// GetFullPathNameW, which has no length limit, does the clean-up first.
std::wstring ToWin32Path(const std::u16string& path) {
  std::wstring text(path.begin(), path.end());
  if (text.rfind(L"\\\\?\\", 0) == 0) return text;
  const DWORD needed = ::GetFullPathNameW(text.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return text;
  std::wstring full(needed, L'\0');
  const DWORD length = ::GetFullPathNameW(text.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return text;
  full.resize(length);
  if (full.rfind(L"\\\\.\\", 0) == 0) return full;
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace savrin
