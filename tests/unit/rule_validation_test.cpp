#include "rules/rule_validation.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

namespace savrin {
namespace {

// The texts the user reads, as they stand (not through the constants the
// code shows them from, so that a typo there shows here).
const char16_t kSourceTooLong[] = u"ファイル監視フォルダ名が長すぎます\r\n260文字以内で指定してください";
const char16_t kDestinationTooLong[] = u"振り分け先フォルダ名が長すぎます\r\n260文字以内で指定してください";
const char16_t kConditionTooLong[] = u"ファイル条件が長すぎます\r\n260文字以内で指定してください";
const char16_t kSourceBadCharacter[] =
    u"ファイル監視フォルダ名に使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません";
const char16_t kDestinationBadCharacter[] =
    u"振り分け先フォルダ名にファイル名として使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません";
const char16_t kConditionEmpty[] = u"ファイル条件を指定してください";
const char16_t kSourceBadDrive[] = u"ファイル監視フォルダのドライブ名が無効です";
const char16_t kSourceDoubledBackslash[] = u"ファイル監視フォルダ名に連続した\\記号があります";
const char16_t kDestinationBadDrive[] = u"振り分け先フォルダのドライブ名が無効です";
const char16_t kDestinationDoubledBackslash[] = u"振り分け先フォルダ名に連続した\\記号があります";
const char16_t kConditionBadCharacter[] =
    u"ファイル条件にファイル名として使用できない文字があります\r\n\\ / : , ; \" < > |  これらの文字はファイル名として使用できません";
const char16_t kConfirmAllFiles[] =
    u"指定したフォルダのすべてのファイルが適用されようとしています。\r\nアイテムに追加してよろしいですか？";
const char16_t kConfirmWildcard[] =
    u"ワイルドカードによって大量のファイルが適用されようとしています。\r\nアイテムに追加してよろしいですか？";
const char16_t kSourceMissing[] = u"ファイル監視フォルダは存在しません";

// Answers questions from a script and records every box shown.
class ScriptedPrompter : public Prompter {
 public:
  std::deque<PromptAnswer> answers;
  std::vector<std::u16string> shown;
  std::vector<PromptButtons> buttons;
  PromptAnswer Prompt(const std::u16string& text, PromptButtons kind) override {
    shown.push_back(text);
    buttons.push_back(kind);
    if (answers.empty()) return kind == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    const PromptAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

struct Outcome {
  bool accepted;
  uint32_t flag;
  std::vector<std::u16string> shown;
  std::vector<PromptButtons> buttons;
};

Outcome Validate(const std::u16string& source, const std::u16string& destination, const std::u16string& condition,
                 std::deque<PromptAnswer> answers = {}, std::set<std::u16string> existing = {u"C:\\data", u"C:\\in"}) {
  ScriptedPrompter prompter;
  prompter.answers = std::move(answers);
  uint32_t flag = 0;
  const bool accepted = ValidateRule({source, destination, condition}, prompter,
                                     [&](const std::u16string& path) { return existing.count(path) != 0; }, flag);
  return {accepted, flag, prompter.shown, prompter.buttons};
}

using Shown = std::vector<std::u16string>;
using Buttons = std::vector<PromptButtons>;

TEST(ValidateRule, RefusesWithTheFirstFailingStepsMessage) {
  struct Case {
    const char16_t* source;
    const char16_t* destination;
    const char16_t* condition;
    const char16_t* message;
  } const cases[] = {
      {u"C:/data", u"D:\\out", u"a.txt", kSourceBadCharacter},
      {u"C:\\data:old", u"D:\\out", u"a.txt", kSourceBadCharacter},
      {u"C:\\data", u"D:\\out?", u"a.txt", kDestinationBadCharacter},
      {u"", u"D:\\out", u"", kConditionEmpty},  // both empty: the condition's message
      {u"C:\\da|ta", u"D:\\o<ut", u"", kSourceBadCharacter},
      {u"data\\in", u"D:\\out", u"a.txt", kSourceBadDrive},
      {u"1:\\in", u"D:\\out", u"a.txt", kSourceBadDrive},
      {u"C:\\\\data", u"D:\\out", u"a.txt", kSourceDoubledBackslash},
      {u"C:\\data", u"out", u"a.txt", kDestinationBadDrive},
      {u"C:\\da\\\\ta", u"out", u"a.txt", kSourceDoubledBackslash},  // source tests come first
      {u"C:\\data", u"D:\\o\\\\ut", u"a.txt", kDestinationDoubledBackslash},
      {u"C:\\data", u"D:\\out", u"sub\\report.txt", kConditionBadCharacter},
      {u"C:\\data", u"D:\\out", u"a:b", kConditionBadCharacter},
      {u"C:\\missing", u"D:\\out", u"report.txt", kSourceMissing},
      {u"C:\\data ", u"D:\\out", u"a.txt", kSourceMissing},  // nothing is trimmed
  };
  for (const Case& c : cases) {
    const Outcome outcome = Validate(c.source, c.destination, c.condition);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.shown, Shown{c.message}) << "condition " << std::u16string(c.condition).size();
    EXPECT_EQ(outcome.buttons, Buttons{PromptButtons::Ok}) << "a refusal has an OK button only";
  }
}

TEST(ValidateRule, AcceptsWhatPassesEveryStep) {
  for (const auto& [source, destination] : std::vector<std::pair<std::u16string, std::u16string>>{
           {u"C:\\data", u"D:\\out\\"}, {u"\\\\server\\share\\in", u"D:\\out"}, {u"C:\\data", u"C:\\data"}}) {
    const Outcome outcome = Validate(source, destination, u"report.txt", {}, {source});
    EXPECT_TRUE(outcome.accepted);
    EXPECT_EQ(outcome.flag, 0u);
    EXPECT_TRUE(outcome.shown.empty());
  }
}

TEST(ValidateRule, WildcardQuestionSetsTheFlagFirst) {
  Outcome outcome = Validate(u"C:\\data", u"D:\\out", u"report?.txt");
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 1u);
  EXPECT_EQ(outcome.shown, Shown{kConfirmWildcard});
  EXPECT_EQ(outcome.buttons, Buttons{PromptButtons::OkCancel});

  outcome = Validate(u"C:\\data", u"D:\\out", u"*.pdf", {PromptAnswer::Cancel});
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 1u) << "set before the question";
  EXPECT_EQ(outcome.shown, Shown{kConfirmWildcard});
}

TEST(ValidateRule, AllFilesMeetsBothQuestionsAndCancelStopsAtOnce) {
  Outcome outcome = Validate(u"C:\\data", u"D:\\out", u"*.*");
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 1u);
  EXPECT_EQ(outcome.shown, (Shown{kConfirmAllFiles, kConfirmWildcard}));
  EXPECT_EQ(outcome.buttons, (Buttons{PromptButtons::OkCancel, PromptButtons::OkCancel}));

  outcome = Validate(u"C:\\data", u"D:\\out", u"*.*", {PromptAnswer::Cancel});
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 0u);
  EXPECT_EQ(outcome.shown, Shown{kConfirmAllFiles});
}

TEST(ValidateRule, QuestionsComeBeforeTheExistenceTest) {
  const Outcome outcome = Validate(u"C:\\missing", u"D:\\out", u"*.txt");
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.shown, (Shown{kConfirmWildcard, kSourceMissing}));
  EXPECT_EQ(outcome.buttons, (Buttons{PromptButtons::OkCancel, PromptButtons::Ok}));
}

TEST(ValidateRule, TextsLongerThanTheLimitAreRefusedNotCut) {
  const std::u16string longFolder = u"C:\\" + std::u16string(258, u'a');  // 261 characters
  EXPECT_EQ(Validate(longFolder, u"D:\\out", u"a.txt").shown, Shown{kSourceTooLong});
  EXPECT_EQ(Validate(u"C:\\data", longFolder, u"a.txt").shown, Shown{kDestinationTooLong});
  EXPECT_EQ(Validate(u"C:\\data", u"D:\\out", std::u16string(261, u'a')).shown, Shown{kConditionTooLong});
  const std::u16string exactly260 = u"C:\\" + std::u16string(257, u'a');
  EXPECT_TRUE(Validate(exactly260, u"D:\\out", u"a.txt", {}, {exactly260}).accepted);
}

}  // namespace
}  // namespace savrin
