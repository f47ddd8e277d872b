#include "settings/settings_storage.h"

#include "platform/settings_file.h"

namespace savrin {

IniDocument ReadSettingsDocument(const std::u16string& path, const AnsiDecoder& ansi) {
  const auto bytes = ReadWholeFile(path);
  return bytes ? IniDocument(DecodeSettingsBytes(*bytes, ansi)) : IniDocument();
}

Status WriteSettingsDocument(const std::u16string& path, const IniDocument& doc) {
  return ReplaceFileAtomically(path, EncodeSettingsText(doc.Serialize()));
}

}  // namespace savrin
