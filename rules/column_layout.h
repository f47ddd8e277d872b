#pragma once
#include <array>

namespace savrin {

// Widths in pixels of the rule list's three columns (source, destination,
// condition) for a list whose client area is clientWidth pixels wide: two
// fifths each for the folders and the rest for the condition, so that the
// three add up to the client width exactly.
std::array<int, 3> RuleListColumnWidths(int clientWidth);

}  // namespace savrin
