#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace savrin {

// How the in-memory file systems read a path: the components after its
// root ("." left out), and the root as a key that ignores case and the
// kind of separator ("C:\", "\\server\share\").
std::vector<std::u16string> FakePathComponents(const std::u16string& path, size_t rootLength);
std::u16string FakeVolumeKey(std::u16string_view root);

}  // namespace savrin
