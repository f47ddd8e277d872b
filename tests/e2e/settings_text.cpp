#include "tests/e2e/settings_text.h"

#include <algorithm>
#include <cwctype>
#include <sstream>

namespace savrin::e2e {

std::string Utf16FileBytes(const std::wstring& text) {
  std::string bytes = "\xFF\xFE";
  for (wchar_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>((c >> 8) & 0xFF));
  }
  return bytes;
}

std::optional<std::wstring> TextOfUtf16File(const std::string& bytes) {
  if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return std::nullopt;
  std::wstring text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  }
  return text;
}

std::wstring SettingsView::Lower(std::wstring text) {
  std::transform(text.begin(), text.end(), text.begin(), [](wchar_t c) { return std::towlower(c); });
  return text;
}

SettingsView::SettingsView(const std::wstring& text) {
  std::wistringstream lines(text);
  std::wstring line;
  std::wstring section;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (line.size() >= 2 && line.front() == L'[' && line.back() == L']') {
      section = Lower(line.substr(1, line.size() - 2));
      sections_[section];
      continue;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos || line.empty() || line[0] == L';') continue;
    std::wstring value = line.substr(equals + 1);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"') value = value.substr(1, value.size() - 2);
    sections_[section].emplace_back(line.substr(0, equals), value);
  }
}

std::optional<std::wstring> SettingsView::Get(const std::wstring& section, const std::wstring& key) const {
  const auto found = sections_.find(Lower(section));
  if (found == sections_.end()) return std::nullopt;
  for (const auto& [name, value] : found->second) {
    if (Lower(name) == Lower(key)) return value;
  }
  return std::nullopt;
}

std::vector<std::wstring> SettingsView::Keys(const std::wstring& section) const {
  std::vector<std::wstring> keys;
  const auto found = sections_.find(Lower(section));
  if (found != sections_.end()) {
    for (const auto& entry : found->second) keys.push_back(entry.first);
  }
  return keys;
}

}  // namespace savrin::e2e
