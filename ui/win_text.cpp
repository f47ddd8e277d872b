#include "ui/win_text.h"

#include <cstdint>
#include <vector>

namespace savrin {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t expected");

std::wstring ToWide(const std::u16string& text) {
  return std::wstring(text.begin(), text.end());
}

std::u16string FromWide(const std::wstring& text) {
  return std::u16string(text.begin(), text.end());
}

std::wstring Utf8ToWide(const char* utf8) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::u16string FromAnsiCodePage(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > static_cast<size_t>(INT32_MAX)) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), length);
  return FromWide(wide);
}

std::wstring LoadResourceString(UINT id) {
  // With a buffer size of 0, LoadStringW hands out a read-only pointer into
  // the resource itself, so no text is ever cut.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring GetWindowTextString(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

std::wstring ModuleFilePath() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::wstring(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace savrin
