#pragma once
#include <cstdint>
#include <string>

namespace savrin {

// The rule form's fields, in the order they are exchanged with the controls.
struct MainForm {
  std::u16string DestinationText;  // edit 1002
  std::u16string SourceText;       // edit 1001
  int32_t MethodIndex = 0;         // drop-down 1004: 0 move, 1 copy, -1 none
  int32_t CollisionIndex = 0;      // drop-down 1009: 0 rename, 1 overwrite, -1 none
  std::u16string ConditionText;    // combo box 1011's edit field
  std::u16string IntervalText;     // edit 1018, as typed
};

}  // namespace savrin
