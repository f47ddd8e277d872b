#include "rules/rule_validation.h"

#include <string_view>

#include "res/resource.h"
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

bool Refuse(Prompter& prompter, TextId message) {
  prompter.Prompt(message, PromptButtons::Ok);
  return false;
}

}  // namespace

bool ValidateRule(const RuleTexts& rule, Prompter& prompter, const PathExists& exists, uint32_t& wildcardFlag) {
  // Longer texts would reach the list cut into a different folder or
  // condition; they are refused before anything else is looked at.
  if (rule.Source.size() > kMaxTextLength) return Refuse(prompter, IDS_SOURCE_TOO_LONG);
  if (rule.Destination.size() > kMaxTextLength) return Refuse(prompter, IDS_DESTINATION_TOO_LONG);
  if (rule.Condition.size() > kMaxTextLength) return Refuse(prompter, IDS_CONDITION_TOO_LONG);

  if (HasAnyOf(Tail(rule.Source), kFolderForbidden)) return Refuse(prompter, IDS_SOURCE_BAD_CHARACTER);
  if (HasAnyOf(Tail(rule.Destination), kFolderForbidden)) return Refuse(prompter, IDS_DESTINATION_BAD_CHARACTER);
  if (rule.Condition.empty()) return Refuse(prompter, IDS_CONDITION_EMPTY);
  if (!HasValidDrive(rule.Source)) return Refuse(prompter, IDS_SOURCE_BAD_DRIVE);
  if (HasDoubledBackslash(rule.Source)) return Refuse(prompter, IDS_SOURCE_DOUBLED_BACKSLASH);
  if (!HasValidDrive(rule.Destination)) return Refuse(prompter, IDS_DESTINATION_BAD_DRIVE);
  if (HasDoubledBackslash(rule.Destination)) return Refuse(prompter, IDS_DESTINATION_DOUBLED_BACKSLASH);
  if (HasAnyOf(rule.Condition, kConditionForbidden)) return Refuse(prompter, IDS_CONDITION_BAD_CHARACTER);

  if (rule.Condition == u"*.*" &&
      prompter.Prompt(IDS_CONFIRM_ALL_FILES, PromptButtons::OkCancel) == PromptAnswer::Cancel) {
    return false;
  }
  if (HasAnyOf(rule.Condition, u"*?")) {
    wildcardFlag = 1;
    if (prompter.Prompt(IDS_CONFIRM_WILDCARD, PromptButtons::OkCancel) == PromptAnswer::Cancel) return false;
  }
  if (!exists(rule.Source)) return Refuse(prompter, IDS_SOURCE_MISSING);
  return true;
}

}  // namespace savrin
