#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace savrin {

// Path texts as the rules hold them. Both '\' and '/' separate, so one text
// serves a Windows path and, in the native build, a POSIX path. A root is
// never split or created: "C:\", "\\server\share\", "\\?\C:\",
// "\\?\UNC\server\share\" and a single leading "/" (or "\").

bool IsSeparator(char16_t c);

// Characters of `path` that belong to its root, trailing separator included
// when present; 0 for a relative path.
size_t RootLength(std::u16string_view path);

// The path without separators at its end; a root keeps its own.
std::u16string_view TrimTrailingSeparators(std::u16string_view path);

// Splits at the last separator: ("C:\in", "*.pdf") for "C:\in\*.pdf". The
// folder part keeps a root's separator ("C:\" for "C:\a.txt") and is empty
// when there is no separator at all.
struct PathSplit {
  std::u16string Folder;
  std::u16string Name;
};
PathSplit SplitAtLastSeparator(std::u16string_view path);

// `folder` + separator + `name`, using the separator the folder text already
// uses ('\' when it has none) and never doubling one.
std::u16string JoinPath(std::u16string_view folder, std::u16string_view name);

}  // namespace savrin
