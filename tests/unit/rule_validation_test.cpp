#include "rules/rule_validation.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

#include "res/resource.h"

namespace savrin {
namespace {

// Which message each refusal and question shows, by its string-table number;
// the words themselves are pinned against the program's string table in the
// end-to-end tests.
// Answers questions from a script and records every box shown.
class ScriptedPrompter : public Prompter {
 public:
  std::deque<PromptAnswer> answers;
  std::vector<TextId> shown;
  std::vector<PromptButtons> buttons;
  PromptAnswer Prompt(TextId text, PromptButtons kind) override {
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
  std::vector<TextId> shown;
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

using Shown = std::vector<TextId>;
using Buttons = std::vector<PromptButtons>;

TEST(ValidateRule, RefusesWithTheFirstFailingStepsMessage) {
  struct Case {
    const char16_t* source;
    const char16_t* destination;
    const char16_t* condition;
    TextId message;
  } const cases[] = {
      {u"C:/data", u"D:\\out", u"a.txt", IDS_SOURCE_BAD_CHARACTER},
      {u"C:\\data:old", u"D:\\out", u"a.txt", IDS_SOURCE_BAD_CHARACTER},
      {u"C:\\data", u"D:\\out?", u"a.txt", IDS_DESTINATION_BAD_CHARACTER},
      {u"", u"D:\\out", u"", IDS_CONDITION_EMPTY},  // both empty: the condition's message
      {u"C:\\da|ta", u"D:\\o<ut", u"", IDS_SOURCE_BAD_CHARACTER},
      {u"data\\in", u"D:\\out", u"a.txt", IDS_SOURCE_BAD_DRIVE},
      {u"1:\\in", u"D:\\out", u"a.txt", IDS_SOURCE_BAD_DRIVE},
      {u"C:\\\\data", u"D:\\out", u"a.txt", IDS_SOURCE_DOUBLED_BACKSLASH},
      {u"C:\\data", u"out", u"a.txt", IDS_DESTINATION_BAD_DRIVE},
      {u"C:\\da\\\\ta", u"out", u"a.txt", IDS_SOURCE_DOUBLED_BACKSLASH},  // source tests come first
      {u"C:\\data", u"D:\\o\\\\ut", u"a.txt", IDS_DESTINATION_DOUBLED_BACKSLASH},
      {u"C:\\data", u"D:\\out", u"sub\\report.txt", IDS_CONDITION_BAD_CHARACTER},
      {u"C:\\data", u"D:\\out", u"a:b", IDS_CONDITION_BAD_CHARACTER},
      {u"C:\\missing", u"D:\\out", u"report.txt", IDS_SOURCE_MISSING},
      {u"C:\\data ", u"D:\\out", u"a.txt", IDS_SOURCE_MISSING},  // nothing is trimmed
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
  EXPECT_EQ(outcome.shown, Shown{IDS_CONFIRM_WILDCARD});
  EXPECT_EQ(outcome.buttons, Buttons{PromptButtons::OkCancel});

  outcome = Validate(u"C:\\data", u"D:\\out", u"*.pdf", {PromptAnswer::Cancel});
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 1u) << "set before the question";
  EXPECT_EQ(outcome.shown, Shown{IDS_CONFIRM_WILDCARD});
}

TEST(ValidateRule, AllFilesMeetsBothQuestionsAndCancelStopsAtOnce) {
  Outcome outcome = Validate(u"C:\\data", u"D:\\out", u"*.*");
  EXPECT_TRUE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 1u);
  EXPECT_EQ(outcome.shown, (Shown{IDS_CONFIRM_ALL_FILES, IDS_CONFIRM_WILDCARD}));
  EXPECT_EQ(outcome.buttons, (Buttons{PromptButtons::OkCancel, PromptButtons::OkCancel}));

  outcome = Validate(u"C:\\data", u"D:\\out", u"*.*", {PromptAnswer::Cancel});
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.flag, 0u);
  EXPECT_EQ(outcome.shown, Shown{IDS_CONFIRM_ALL_FILES});
}

TEST(ValidateRule, QuestionsComeBeforeTheExistenceTest) {
  const Outcome outcome = Validate(u"C:\\missing", u"D:\\out", u"*.txt");
  EXPECT_FALSE(outcome.accepted);
  EXPECT_EQ(outcome.shown, (Shown{IDS_CONFIRM_WILDCARD, IDS_SOURCE_MISSING}));
  EXPECT_EQ(outcome.buttons, (Buttons{PromptButtons::OkCancel, PromptButtons::Ok}));
}

TEST(ValidateRule, TextsLongerThanTheLimitAreRefusedNotCut) {
  const std::u16string longFolder = u"C:\\" + std::u16string(258, u'a');  // 261 characters
  EXPECT_EQ(Validate(longFolder, u"D:\\out", u"a.txt").shown, Shown{IDS_SOURCE_TOO_LONG});
  EXPECT_EQ(Validate(u"C:\\data", longFolder, u"a.txt").shown, Shown{IDS_DESTINATION_TOO_LONG});
  EXPECT_EQ(Validate(u"C:\\data", u"D:\\out", std::u16string(261, u'a')).shown, Shown{IDS_CONDITION_TOO_LONG});
  const std::u16string exactly260 = u"C:\\" + std::u16string(257, u'a');
  EXPECT_TRUE(Validate(exactly260, u"D:\\out", u"a.txt", {}, {exactly260}).accepted);
}

}  // namespace
}  // namespace savrin
