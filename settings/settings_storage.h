#pragma once
#include <string>

#include "platform/status.h"
#include "settings/ini_document.h"

namespace savrin {

// The document written back whole, in UTF-16LE, replacing the file
// atomically. (The file is read once, at start-up: ReadSettingsAtStart in
// settings_start.h.)
Status WriteSettingsDocument(const std::u16string& path, const IniDocument& doc);

}  // namespace savrin
