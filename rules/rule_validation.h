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

namespace messages {
inline constexpr char16_t kSourceTooLong[] = u"ファイル監視フォルダ名が長すぎます\r\n260文字以内で指定してください";
inline constexpr char16_t kDestinationTooLong[] = u"振り分け先フォルダ名が長すぎます\r\n260文字以内で指定してください";
inline constexpr char16_t kConditionTooLong[] = u"ファイル条件が長すぎます\r\n260文字以内で指定してください";
inline constexpr char16_t kSourceBadCharacter[] =
    u"ファイル監視フォルダ名に使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません";
inline constexpr char16_t kDestinationBadCharacter[] =
    u"振り分け先フォルダ名にファイル名として使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません";
inline constexpr char16_t kConditionEmpty[] = u"ファイル条件を指定してください";
inline constexpr char16_t kSourceBadDrive[] = u"ファイル監視フォルダのドライブ名が無効です";
inline constexpr char16_t kSourceDoubledBackslash[] = u"ファイル監視フォルダ名に連続した\\記号があります";
inline constexpr char16_t kDestinationBadDrive[] = u"振り分け先フォルダのドライブ名が無効です";
inline constexpr char16_t kDestinationDoubledBackslash[] = u"振り分け先フォルダ名に連続した\\記号があります";
inline constexpr char16_t kConditionBadCharacter[] =
    u"ファイル条件にファイル名として使用できない文字があります\r\n\\ / : , ; \" < > |  これらの文字はファイル名として使用できません";
inline constexpr char16_t kConfirmAllFiles[] =
    u"指定したフォルダのすべてのファイルが適用されようとしています。\r\nアイテムに追加してよろしいですか？";
inline constexpr char16_t kConfirmWildcard[] =
    u"ワイルドカードによって大量のファイルが適用されようとしています。\r\nアイテムに追加してよろしいですか？";
inline constexpr char16_t kSourceMissing[] = u"ファイル監視フォルダは存在しません";
}  // namespace messages

}  // namespace savrin
