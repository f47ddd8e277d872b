#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "rules/prompter.h"

namespace savrin {

struct RuleTexts {
  const std::u16string& Source;
  const std::u16string& Destination;
  const std::u16string& Condition;
};

// True when the text names an existing file-system item.
using PathExists = std::function<bool(const std::u16string&)>;

// Checks a rule from the form before it is added or changed: forbidden
// characters, an empty condition, drive parts, doubled backslashes, the two
// confirmations for conditions that take many files, and last the watched
// folder's existence. Stops at the first failure, which is told in one
// message; a Cancel refuses silently. Sets `wildcardFlag` to 1, before the
// wildcard question, when the condition holds * or ?. Nothing is trimmed or
// normalised.
bool ValidateRule(const RuleTexts& rule, Prompter& prompter, const PathExists& exists, uint32_t& wildcardFlag);

}  // namespace savrin
