#include "rules/rule_validation.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

namespace savrin {
namespace {

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
};

Outcome Validate(const std::u16string& source, const std::u16string& destination, const std::u16string& condition,
                 std::deque<PromptAnswer> answers = {}, std::set<std::u16string> existing = {u"C:\\data", u"C:\\in"}) {
  ScriptedPrompter prompter;
  prompter.answers = std::move(answers);
  uint32_t flag = 0;
  const bool accepted = ValidateRule({source, destination, condition}, prompter,
                                     [&](const std::u16string& path) { return existing.count(path) != 0; }, flag);
  return {accepted, flag, prompter.shown};
}

using Shown = std::vector<std::u16string>;

TEST(ValidateRule, RefusesWithTheFirstFailingStepsMessage) {
  struct Case {
    const char16_t* source;
    const char16_t* destination;
    const char16_t* condition;
    const char16_t* message;
  } const cases[] = {
      {u"C:/data", u"D:\\out", u"a.txt", messages::kSourceBadCharacter},
      {u"C:\\data:old", u"D:\\out", u"a.txt", messages::kSourceBadCharacter},
      {u"C:\\data", u"D:\\out?", u"a.txt", messages::kDestinationBadCharacter},
      {u"", u"D:\\out", u"", messages::kConditionEmpty},  // both empty: the condition's message
      {u"C:\\da|ta", u"D:\\o<ut", u"", messages::kSourceBadCharacter},
      {u"data\\in", u"D:\\out", u"a.txt", messages::kSourceBadDrive},
      {u"1:\\in", u"D:\\out", u"a.txt", messages::kSourceBadDrive},
      {u"C:\\\\data", u"D:\\out", u"a.txt", messages::kSourceDoubledBackslash},
      {u"C:\\data", u"out", u"a.txt", messages::kDestinationBadDrive},
      {u"C:\\da\\\\ta", u"out", u"a.txt", messages::kSourceDoubledBackslash},  // source tests come first
      {u"C:\\data", u"D:\\o\\\\ut", u"a.txt", messages::kDestinationDoubledBackslash},
      {u"C:\\data", u"D:\\out", u"sub\\report.txt", messages::kConditionBadCharacter},
      {u"C:\\data", u"D:\\out", u"a:b", messages::kConditionBadCharacter},
      {u"C:\\missing", u"D:\\out", u"report.txt", messages::kSourceMissing},
      {u"C:\\data ", u"D:\\out", u"a.txt", messages::kSourceMissing},  // nothing is trimmed
  };
  for (const Case& c : cases) {
    const Outcome outcome = Validate(c.source, c.destination, c.condition);
    EXPECT_FALSE(outcome.accepted);
    EXPECT_EQ(outcome.shown, Shown{c.message}) << "condition " << std::u16string(c.condition).size();
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
  EXPECT_EQ(outcome.shown, Shown{messages::kConfirmWildcard});

  outcome = Validate(u"C:\\data", u"D:\\out", u"*.pdf", {PromptAnswer::Cancel});
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 1u) << "set before the question";
  EXPECT_EQ(outcome.shown, Shown{messages::kConfirmWildcard});
}

TEST(ValidateRule, AllFilesMeetsBothQuestionsAndCancelStopsAtOnce) {
  Outcome outcome = Validate(u"C:\\data", u"D:\\out", u"*.*");
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 1u);
  EXPECT_EQ(outcome.shown, (Shown{messages::kConfirmAllFiles, messages::kConfirmWildcard}));

  outcome = Validate(u"C:\\data", u"D:\\out", u"*.*", {PromptAnswer::Cancel});
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 0u);
  EXPECT_EQ(outcome.shown, Shown{messages::kConfirmAllFiles});
}

TEST(ValidateRule, QuestionsComeBeforeTheExistenceTest) {
  const Outcome outcome = Validate(u"C:\\missing", u"D:\\out", u"*.txt");
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.shown, (Shown{messages::kConfirmWildcard, messages::kSourceMissing}));
}

TEST(ValidateRule, TextsLongerThanTheLimitAreRefusedNotCut) {
  const std::u16string longFolder = u"C:\\" + std::u16string(258, u'a');  // 261 characters
  EXPECT_EQ(Validate(longFolder, u"D:\\out", u"a.txt").shown, Shown{messages::kSourceTooLong});
  EXPECT_EQ(Validate(u"C:\\data", longFolder, u"a.txt").shown, Shown{messages::kDestinationTooLong});
  EXPECT_EQ(Validate(u"C:\\data", u"D:\\out", std::u16string(261, u'a')).shown, Shown{messages::kConditionTooLong});
  const std::u16string exactly260 = u"C:\\" + std::u16string(257, u'a');
  EXPECT_TRUE(Validate(exactly260, u"D:\\out", u"a.txt", {}, {exactly260}).accepted);
}

TEST(ValidateRule, MessagesKeepTheirExactForm) {
  EXPECT_EQ(std::u16string(messages::kSourceBadCharacter),
            u"ファイル監視フォルダ名に使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません");
  EXPECT_EQ(std::u16string(messages::kSourceDoubledBackslash), u"ファイル監視フォルダ名に連続した\\記号があります");
}

}  // namespace
}  // namespace savrin
