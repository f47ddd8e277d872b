#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace savrin {

// The engine copies through files and folders named "~savrin-" + 16 hex
// digits + ".tmp" in the destination folder. The form is exact, so a user's
// own "~savrin-notes.tmp" is never mistaken for one: anything of this form
// matches no rule, and one left behind by a crash is removed the next time
// the engine works in that folder.
std::u16string TemporaryName(uint64_t unique);
bool IsTemporaryName(std::u16string_view name);

}  // namespace savrin
