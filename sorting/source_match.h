#pragma once
#include <string>

#include "platform/file_system.h"

namespace savrin {

// The match test the sorting pass runs before it hands over an operation:
// whether any entry of the source folder (file or folder, hidden ones too)
// matches the last component of "C:\in\*.pdf" or "C:\in\report.doc". A
// folder that is missing or cannot be read has nothing that matches, and
// the engine's own temporary files never match.
bool AnyEntryMatches(FileSystem& fileSystem, const std::u16string& sourcePatternPath);

}  // namespace savrin
