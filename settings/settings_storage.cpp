#include "settings/settings_storage.h"

#include "platform/settings_file.h"
#include "settings/settings_encoding.h"

namespace savrin {

Status WriteSettingsDocument(const std::u16string& path, const IniDocument& doc) {
  return ReplaceFileAtomically(path, EncodeSettingsText(doc.Serialize()));
}

}  // namespace savrin
