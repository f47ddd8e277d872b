#include "sorting/sorting_pass.h"

#include <gtest/gtest.h>

#include "tests/unit/fake_pass_host.h"

namespace savrin {
namespace {

using Log = std::vector<std::string>;

class SortingPassTest : public ::testing::Test {
 protected:
  SortState state;
  savrin::testing::FakePassHost host{state};
};

TEST_F(SortingPassTest, ThreeRulesRunThreeOperationsStrictlyOneAfterAnother) {
  host.AddRule(u"C:\\a", u"D:\\1", u"*.txt", BuildConditionWord(0, 0, 1));
  host.AddRule(u"C:\\b", u"D:\\2", u"x.doc", BuildConditionWord(1, 1, 0));
  host.AddRule(u"C:\\c", u"D:\\3", u"*.pdf", BuildConditionWord(0, 1, 1));
  host.matchingPatterns = {u"C:\\a\\*.txt", u"C:\\b\\x.doc", u"C:\\c\\*.pdf"};
  RunSortingPass(host, host.clock, state);

  EXPECT_EQ(host.log, (Log{"tray", "buttons off", "read 0", "mkdir D:\\1\\", "match C:\\a\\*.txt yes",
                           "tray", "buttons off", "performed C:\\a\\*.txt",
                           "read 1", "mkdir D:\\2\\", "match C:\\b\\x.doc yes",
                           "tray", "buttons off", "performed C:\\b\\x.doc",
                           "read 2", "mkdir D:\\3\\", "match C:\\c\\*.pdf yes",
                           "performed C:\\c\\*.pdf", "buttons on", "progress 0"}));
  ASSERT_EQ(host.performed.size(), 3u);
  EXPECT_EQ(host.performed[0].Function, FileOpFunction::Move);
  EXPECT_EQ(host.performed[0].Flags, 0x069C) << "rename on collision";
  EXPECT_EQ(BufferText(host.performed[0].To), u"D:\\1\\");
  EXPECT_EQ(host.performed[1].Function, FileOpFunction::Copy);
  EXPECT_EQ(host.performed[1].Flags, 0x0694) << "overwrite";
  EXPECT_EQ(BufferText(host.performed[1].To), u"D:\\2\\x.doc");
  EXPECT_EQ(state.PassActive.load(), 0u);
  EXPECT_FALSE(state.PassRunning);
  EXPECT_FALSE(state.HandOver.Busy());
}

TEST_F(SortingPassTest, NoMatchOrMissingFolderStillMakesTheDestination) {
  host.AddRule(u"C:\\missing", u"D:\\new\\deep", u"*.*", 1);
  RunSortingPass(host, host.clock, state);
  EXPECT_EQ(host.log, (Log{"tray", "buttons off", "read 0", "mkdir D:\\new\\deep\\", "match C:\\missing\\*.* no",
                           "buttons on", "progress 0"}));
  EXPECT_TRUE(host.performed.empty());
}

TEST_F(SortingPassTest, EmptyListTouchesOnlyButtonsAndTitle) {
  state.ElapsedSeconds = 7;
  RunSortingPass(host, host.clock, state);
  EXPECT_EQ(host.log, Log{"buttons on"}) << "a pass nobody requested leaves the bar alone";
  EXPECT_EQ(state.ElapsedSeconds, 0u);
  EXPECT_EQ(host.title, u"Savrin");

  host.log.clear();
  state.PassActive = 1;  // requested by organize-now
  RunSortingPass(host, host.clock, state);
  EXPECT_EQ(host.log, (Log{"buttons on", "progress 0"}));
  EXPECT_EQ(state.PassActive.load(), 0u);
}

TEST_F(SortingPassTest, RuleWhosePathWouldOverflowIsPassedOverWithoutEffects) {
  host.AddRule(std::u16string(258, u'x').c_str(), u"D:\\out", u"abc.txt", 0);
  host.AddRule(u"C:\\in", u"D:\\out", u"a.txt", 0);
  host.matchingPatterns = {u"C:\\in\\a.txt"};
  RunSortingPass(host, host.clock, state);
  EXPECT_EQ(host.log, (Log{"tray", "buttons off", "read 0", "tray", "buttons off", "read 1", "mkdir D:\\out\\",
                           "match C:\\in\\a.txt yes", "performed C:\\in\\a.txt", "buttons on", "progress 0"}));
}

TEST_F(SortingPassTest, RulesDeletedDuringTheWaitArePassedOverNotRepeated) {
  host.AddRule(u"C:\\a", u"D:\\1", u"a", 0);
  host.AddRule(u"C:\\b", u"D:\\2", u"b", 0);
  host.AddRule(u"C:\\c", u"D:\\3", u"c", 0);
  host.matchingPatterns = {u"C:\\a\\a", u"C:\\b\\b", u"C:\\c\\c"};
  host.operationMilliseconds = 1000;
  // While the first operation runs, the user deletes the first two rules.
  host.log.reserve(64);
  bool deleted = false;
  host.messages.push_back([&] {
    host.rules.DeleteRule(0);
    host.rules.DeleteRule(0);
    deleted = true;
  });
  RunSortingPass(host, host.clock, state);
  ASSERT_TRUE(deleted);
  EXPECT_EQ(host.log, (Log{"tray", "buttons off", "read 0", "mkdir D:\\1\\", "match C:\\a\\a yes",
                           "tray", "buttons off", "performed C:\\a\\a", "read 1 (gone)",
                           "tray", "buttons off", "read 2 (gone)", "buttons on", "progress 0"}));
}

TEST_F(SortingPassTest, ShortOperationsNeverChangeTheTitle) {
  host.AddRule(u"C:\\a", u"D:\\1", u"a", 0);
  host.matchingPatterns = {u"C:\\a\\a"};
  host.operationMilliseconds = 900;
  RunSortingPass(host, host.clock, state);
  EXPECT_TRUE(host.titles.empty());
  EXPECT_EQ(state.ProcessingTitle, u"Savrin - 処理中 -");
}

TEST_F(SortingPassTest, LongOperationBlinksTheTitleOnHalfSecondsOnceTwoCalendarSecondsBegan) {
  host.AddRule(u"C:\\a", u"D:\\1", u"a", 0);
  host.matchingPatterns = {u"C:\\a\\a"};
  host.clock.now = 10'000;
  host.clock.calendarOffsetMs = 300;  // the calendar second turns at ms clock ...700
  host.operationMilliseconds = 3'200;
  RunSortingPass(host, host.clock, state);

  // Start: calendar second 10 (ms 10000). Blinking may begin once the
  // calendar reads 12, at ms 11700, which is in a second half: the
  // processing title waits for 12000, then alternates every half second.
  using Change = std::pair<uint64_t, std::u16string>;
  const std::vector<Change> expected = {{12'000, u"Savrin - 処理中 -"}, {12'500, u"Savrin"},
                                        {13'000, u"Savrin - 処理中 -"}, {13'200, u"Savrin"}};
  EXPECT_EQ(host.titles, expected);
  EXPECT_LT(host.waits, 200) << "the wait blocks instead of spinning";
}

TEST_F(SortingPassTest, ExitRequestedDuringThePassShowsTheExitTitleWhileWaiting) {
  host.AddRule(u"C:\\a", u"D:\\1", u"a", 0);
  host.AddRule(u"C:\\b", u"D:\\2", u"b", 0);
  host.matchingPatterns = {u"C:\\a\\a", u"C:\\b\\b"};
  host.operationMilliseconds = 2'600;
  const std::u16string exitTitle = u"Savrin - 処理中 - (プログラム終了保留中)";
  host.messages.push_back([&] { state.ProcessingTitle = exitTitle; });
  RunSortingPass(host, host.clock, state);
  ASSERT_FALSE(host.titles.empty());
  EXPECT_EQ(host.titles.front().second, exitTitle);
  EXPECT_EQ(host.titles.back().second, u"Savrin");
  EXPECT_EQ(host.performed.size(), 2u) << "every remaining rule is still handled";
}

}  // namespace
}  // namespace savrin
