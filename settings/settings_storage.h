#pragma once
#include <string>

#include "platform/status.h"
#include "settings/ini_document.h"
#include "settings/settings_encoding.h"

namespace savrin {

// The settings file as a document; a missing or unreadable file is an empty
// document, so the program starts on its defaults.
IniDocument ReadSettingsDocument(const std::u16string& path, const AnsiDecoder& ansi);

// The document written back whole, in UTF-16LE, replacing the file atomically.
Status WriteSettingsDocument(const std::u16string& path, const IniDocument& doc);

}  // namespace savrin
