#include "rules/column_layout.h"

namespace savrin {

std::array<int, 3> RuleListColumnWidths(int clientWidth) {
  const int folderWidth = (2 * clientWidth) / 5;
  return {folderWidth, folderWidth, clientWidth - 2 * folderWidth};
}

}  // namespace savrin
