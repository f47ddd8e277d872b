#pragma once
#include <windows.h>

#include <string>
#include <string_view>

namespace savrin {

// The core speaks UTF-16 as std::u16string; Windows speaks it as wchar_t.
// Both are 16 bits on Windows, so these only change the element type.
std::wstring ToWide(const std::u16string& text);
std::u16string FromWide(const std::wstring& text);

std::wstring Utf8ToWide(const char* utf8);
// Bytes in the system's ANSI code page (CP_ACP), as UTF-16.
std::u16string FromAnsiCodePage(std::string_view bytes);

// A string resource of the executable, or an empty text when there is none.
std::wstring LoadResourceString(UINT id);

std::wstring GetWindowTextString(HWND window);

// Full path of the running executable.
std::wstring ModuleFilePath();

}  // namespace savrin
