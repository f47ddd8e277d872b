#pragma once
#include "platform/text_id.h"

namespace savrin {

enum class PromptButtons { Ok, OkCancel, YesNo };
enum class PromptAnswer { Ok, Cancel, Yes, No };

// Shows the program's modal message box with the text `text` names (owned by
// the main window, warning icon, the program's name as caption) and returns
// the answer. Closing a box counts as Cancel, or as No for a Yes/No box.
class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual PromptAnswer Prompt(TextId text, PromptButtons buttons) = 0;
};

}  // namespace savrin
