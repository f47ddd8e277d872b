#pragma once
#include <string>
#include <string_view>

namespace savrin {

// The name an arriving item takes when its own is taken: " (N)" goes before
// the last dot of a file name ("report (2).pdf", "a.tar (2).gz") and at the
// end of a name without one ("README (2)"). A dot that opens the name starts
// no extension (".profile (2)"), and folder names take it at the end whole
// ("2005.04 (2)"), since their dots are no extensions.
std::u16string NumberedName(std::u16string_view name, unsigned number, bool isFolder);

// The part of `name` the number follows: all of it but the extension.
std::u16string_view NumberingStem(std::u16string_view name, bool isFolder);

// Which of those `candidate` is, the other way round: 1 for `name` itself, N
// for NumberedName(name, N) (N >= 2, written without leading zeros), 0 for
// neither. Both compared as given: fold their case first for the file
// system's sameness.
unsigned NumberOfName(std::u16string_view candidate, std::u16string_view name, bool isFolder);

}  // namespace savrin
