#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace savrin {

// How the in-memory file systems read a path: the components after its
// root ("." left out), and the root as a key that ignores case and the
// kind of separator ("C:\", "\\server\share\").
std::vector<std::u16string> FakePathComponents(const std::u16string& path, size_t rootLength);
std::u16string FakeVolumeKey(std::u16string_view root);

// CompareContent of the in-memory file systems: NotFound unless both are files.
Status CompareStoredContents(const std::optional<std::string>& a, const std::optional<std::string>& b, bool& same);

// The tests' own reading of the engine's temporary names, independent of the
// engine's: anything under its prefix. UnderTemporary: a relative path ('\'
// between components) that is one or lies inside one.
bool IsTemporaryComponent(std::u16string_view name);
bool UnderTemporary(std::u16string_view relative);

}  // namespace savrin
