#pragma once
#include <string>
#include <string_view>

namespace savrin {

// A path text in the form two texts for the same place share: '\' for every
// separator, no repeated ones, "." and ".." resolved, no separator at the end,
// case folded. "C:/In//sub/../" and "c:\in" give the same text. Aliases the
// text cannot show (links, mapped drives, 8.3 folder names) are for the file
// system to tell.
std::u16string ComparablePath(std::u16string_view path);

// True when `path` is `folder` itself or lies anywhere below it.
bool IsSameOrInside(std::u16string_view path, std::u16string_view folder);

}  // namespace savrin
