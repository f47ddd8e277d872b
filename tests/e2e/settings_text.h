#pragma once
// Settings files as the tests write and read them: UTF-16LE with a BOM, the
// way the program writes them, or any bytes a test wants to try.
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace savrin::e2e {

std::string Utf16FileBytes(const std::wstring& text);  // BOM + UTF-16LE
std::optional<std::wstring> TextOfUtf16File(const std::string& bytes);

// A small reader for assertions on the program's own output: sections and
// keys as written, values unquoted, first occurrence wins.
class SettingsView {
 public:
  explicit SettingsView(const std::wstring& text);
  std::optional<std::wstring> Get(const std::wstring& section, const std::wstring& key) const;
  std::vector<std::wstring> Keys(const std::wstring& section) const;
  bool HasSection(const std::wstring& section) const { return sections_.count(Lower(section)) != 0; }

 private:
  static std::wstring Lower(std::wstring text);
  std::map<std::wstring, std::vector<std::pair<std::wstring, std::wstring>>> sections_;
};

}  // namespace savrin::e2e
