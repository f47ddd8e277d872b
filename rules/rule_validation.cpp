#include "rules/rule_validation.h"

#include <string_view>

#include "rules/sort_rule.h"

namespace savrin {
namespace {

constexpr std::u16string_view kFolderForbidden = u"/:,;*?\"<>|";
constexpr std::u16string_view kConditionForbidden = u"\\/:,;\"<>|";

// The first two characters hold the drive letter and colon, or the two
// backslashes of a network path; they are tested on their own.
std::u16string_view Tail(std::u16string_view folder) {
  return folder.size() > 2 ? folder.substr(2) : std::u16string_view();
}

bool HasAnyOf(std::u16string_view text, std::u16string_view characters) {
  return text.find_first_of(characters) != std::u16string_view::npos;
}

bool HasValidDrive(std::u16string_view folder) {
  if (folder.size() >= 2 && folder[0] == u'\\' && folder[1] == u'\\') return true;
  const bool letter = folder.size() >= 2 && ((folder[0] >= u'A' && folder[0] <= u'Z') || (folder[0] >= u'a' && folder[0] <= u'z'));
  return letter && folder[1] == u':';
}

bool HasDoubledBackslash(std::u16string_view folder) {
  return Tail(folder).find(u"\\\\") != std::u16string_view::npos;
}

bool Refuse(Prompter& prompter, const char16_t* message) {
  prompter.Prompt(message, PromptButtons::Ok);
  return false;
}

}  // namespace

bool ValidateRule(const RuleTexts& rule, Prompter& prompter, const PathExists& exists, uint32_t& wildcardFlag) {
  // Longer texts would reach the list cut into a different folder or
  // condition; they are refused before anything else is looked at.
  if (rule.Source.size() > kMaxTextLength) return Refuse(prompter, messages::kSourceTooLong);
  if (rule.Destination.size() > kMaxTextLength) return Refuse(prompter, messages::kDestinationTooLong);
  if (rule.Condition.size() > kMaxTextLength) return Refuse(prompter, messages::kConditionTooLong);

  if (HasAnyOf(Tail(rule.Source), kFolderForbidden)) return Refuse(prompter, messages::kSourceBadCharacter);
  if (HasAnyOf(Tail(rule.Destination), kFolderForbidden)) return Refuse(prompter, messages::kDestinationBadCharacter);
  if (rule.Condition.empty()) return Refuse(prompter, messages::kConditionEmpty);
  if (!HasValidDrive(rule.Source)) return Refuse(prompter, messages::kSourceBadDrive);
  if (HasDoubledBackslash(rule.Source)) return Refuse(prompter, messages::kSourceDoubledBackslash);
  if (!HasValidDrive(rule.Destination)) return Refuse(prompter, messages::kDestinationBadDrive);
  if (HasDoubledBackslash(rule.Destination)) return Refuse(prompter, messages::kDestinationDoubledBackslash);
  if (HasAnyOf(rule.Condition, kConditionForbidden)) return Refuse(prompter, messages::kConditionBadCharacter);

  if (rule.Condition == u"*.*" &&
      prompter.Prompt(messages::kConfirmAllFiles, PromptButtons::OkCancel) == PromptAnswer::Cancel) {
    return false;
  }
  if (HasAnyOf(rule.Condition, u"*?")) {
    wildcardFlag = 1;
    if (prompter.Prompt(messages::kConfirmWildcard, PromptButtons::OkCancel) == PromptAnswer::Cancel) return false;
  }
  if (!exists(rule.Source)) return Refuse(prompter, messages::kSourceMissing);
  return true;
}

}  // namespace savrin
