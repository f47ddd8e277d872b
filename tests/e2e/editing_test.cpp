// Editing the rule list through the window, as a user does.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/savrin_test.h"
#include "tests/e2e/settings_text.h"

namespace savrin::e2e {
namespace {

// Rules a, b and c, each from C:\x to D:\x for the file x.
const wchar_t kThreeRules[] =
    L"[Source]\r\n0=C:\\a\r\n1=C:\\b\r\n2=C:\\c\r\n[Destination]\r\n0=D:\\a\r\n1=D:\\b\r\n2=D:\\c\r\n"
    L"[Pattern]\r\n0=a\r\n1=b\r\n2=c\r\n[Condition]\r\n0=0\r\n1=0\r\n2=0\r\n";

class EditingTest : public SavrinTest {
 protected:
  void SetUp() override {
    inFolder = folder.Join(L"in");
    CreateDirectoryW(inFolder.c_str(), nullptr);
  }
  void FillForm(HWND main, const std::wstring& source, const std::wstring& destination, const std::wstring& condition) {
    SetText(Item(main, 1001), source);
    SetText(Item(main, 1002), destination);
    SetText(Item(main, 1011), condition);
  }
  // Waits for the box the last action opened, checks the common caption and
  // icon, and returns its view.
  MessageBoxView ExpectBox(HWND& box) {
    box = savrin->WaitForOtherDialog(10000);
    EXPECT_NE(box, nullptr);
    if (box == nullptr) return {};
    MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(view.caption, L"Savrin");
    EXPECT_EQ(view.icon, BoxIcon::Warning);
    return view;
  }
  void Answer(HWND box, int button) {
    AnswerMessageBox(box, button);
    WaitUntil([&] { return !IsWindow(box); });
  }

  std::wstring inFolder;

};

TEST_F(EditingTest, AddingARuleThroughTheFormShowsAndSavesIt) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  FillForm(main, inFolder, L"D:\\保存先", L"*.pdf");
  SelectComboEntry(main, 1004, 1);  // コピー
  SelectComboEntry(main, 1009, 1);  // 上書き
  Click(main, 1003);

  HWND box = nullptr;
  const MessageBoxView question = ExpectBox(box);
  EXPECT_EQ(question.text, L"ワイルドカードによって大量のファイルが適用されようとしています。\r\nアイテムに追加してよろしいですか？");
  EXPECT_EQ(question.buttons, (std::vector<int>{IDOK, IDCANCEL}));
  Answer(box, IDOK);

  HWND list = Item(main, 1000);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 1; }));
  EXPECT_EQ(ListCell(list, 0, 0), inFolder);
  EXPECT_EQ(ListCell(list, 0, 1), L"D:\\保存先");
  EXPECT_EQ(ListCell(list, 0, 2), L"*.pdf");
  EXPECT_EQ(ComboEntries(Item(main, 1011)), std::vector<std::wstring>{L"*.pdf"});
  const auto saved = SavedSettings();
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->Get(L"Condition", L"0"), L"65793");
  EXPECT_EQ(saved->Get(L"Destination", L"0"), L"D:\\保存先");
}

TEST_F(EditingTest, RefusalsShowTheirTextAndChangeNothing) {
  struct Case {
    std::wstring source;
    const wchar_t* destination;
    const wchar_t* condition;
    const wchar_t* message;
  } const cases[] = {
      {L"C:\\da:ta", L"D:\\out", L"a.txt",
       L"ファイル監視フォルダ名に使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません"},
      {L"C:\\in", L"D:\\out", L"", L"ファイル条件を指定してください"},
      {L"C:\\in", L"D:\\o\\\\ut", L"a.txt", L"振り分け先フォルダ名に連続した\\記号があります"},
      {inFolder + L"\\missing", L"D:\\out", L"a.txt", L"ファイル監視フォルダは存在しません"},
  };
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  for (const Case& c : cases) {
    FillForm(main, c.source, c.destination, c.condition);
    Click(main, 1003);
    HWND box = nullptr;
    const MessageBoxView view = ExpectBox(box);
    EXPECT_EQ(view.text, c.message);
    EXPECT_EQ(view.buttons, std::vector<int>{IDOK});
    Answer(box, IDOK);
  }
  EXPECT_EQ(ListRowCount(Item(main, 1000)), 0);
  EXPECT_FALSE(folder.Exists(L"Savrin.ini")) << "a refused rule saves nothing";
}

TEST_F(EditingTest, DeleteAsksAndNoKeepsEverything) {
  HWND main = Start(L"[Source]\r\n0=C:\\a\r\n1=C:\\b\r\n[Destination]\r\n0=D:\\a\r\n1=D:\\b\r\n"
                    L"[Pattern]\r\n0=a.txt\r\n1=b.txt\r\n[Condition]\r\n0=0\r\n1=0\r\n");
  ASSERT_NE(main, nullptr);
  HWND list = Item(main, 1000);
  ClickScreenPoint(ListRowCentre(list, 1));
  ASSERT_TRUE(WaitUntil([&] { return WindowText(Item(main, 1001)) == L"C:\\b"; }))
      << "clicking a row loads it into the form";
  EXPECT_EQ(WindowText(Item(main, 1002)), L"D:\\b");

  Click(main, 1005);
  HWND box = nullptr;
  MessageBoxView view = ExpectBox(box);
  EXPECT_EQ(view.text, L"アイテムを削除してよろしいですか？");
  EXPECT_EQ(view.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(box, IDNO);
  EXPECT_EQ(ListRowCount(list), 2);

  Click(main, 1005);
  view = ExpectBox(box);
  Answer(box, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 1; }));
  EXPECT_EQ(ListCell(list, 0, 0), L"C:\\a");
  const auto saved = SavedSettings();
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->Keys(L"Source"), std::vector<std::wstring>{L"0"});
}

TEST_F(EditingTest, AltArrowsAndDeleteInTheListActLikeTheButtons) {
  HWND main = Start(kThreeRules);
  ASSERT_NE(main, nullptr);
  HWND list = Item(main, 1000);
  // A key without Alt first loads the selected rule into the form and saves,
  // then the list acts on it: Up on the first row moves nothing, so only the
  // load can have put the rule back over the typed text.
  ClickScreenPoint(ListRowCentre(list, 0));
  ASSERT_TRUE(WaitUntil([&] { return WindowText(Item(main, 1001)) == L"C:\\a"; }));
  SetText(Item(main, 1001), L"C:\\typed");
  PostMessageW(Item(main, 1019), BM_CLICK, 0, 0);  // read by the save's form read
  ASSERT_TRUE(WaitUntil([&] { return !IsChecked(Item(main, 1019)); }));
  FocusControl(list);
  SendKeyChord({VK_UP});
  EXPECT_TRUE(WaitUntil([&] { return WindowText(Item(main, 1001)) == L"C:\\a"; }));
  EXPECT_TRUE(WaitUntil([&] { return Saved(L"Option", L"Status") == L"0"; })) << "the key saved";
  EXPECT_EQ(ListSelectedRows(list), std::vector<int>{0});
  SendKeyChord({VK_DOWN});
  ASSERT_TRUE(WaitUntil([&] { return ListSelectedRows(list) == std::vector<int>{1}; }));
  EXPECT_EQ(WindowText(Item(main, 1001)), L"C:\\b");
  EXPECT_EQ(ListCell(list, 0, 0), L"C:\\a") << "no Alt, no move";

  SendKeyChord({VK_MENU, VK_UP});
  ASSERT_TRUE(WaitUntil([&] { return ListCell(list, 0, 0) == L"C:\\b"; }));
  EXPECT_EQ(ListCell(list, 1, 0), L"C:\\a");

  SendKeyChord({VK_MENU, VK_DOWN});
  ASSERT_TRUE(WaitUntil([&] { return ListCell(list, 1, 0) == L"C:\\b"; }));

  SendKeyChord({VK_DELETE});
  HWND box = nullptr;
  ExpectBox(box);
  Answer(box, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 2; }));
  EXPECT_EQ(ListCell(list, 0, 0), L"C:\\a");
  EXPECT_EQ(ListCell(list, 1, 0), L"C:\\c");
}

// The condition is the one typed; the history already begins with it,
// letter case aside, so it gains no entry.
TEST_F(EditingTest, EnterInTheFormAddsTheRule) {
  HWND main = Start(L"[FilenamePattern]\r\n0=report.txt\r\n");
  ASSERT_NE(main, nullptr);
  FillForm(main, inFolder, L"D:\\out", L"REPORT.TXT");
  FocusControl(Item(main, 1002));
  SendKeyChord({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(Item(main, 1000)) == 1; }));
  EXPECT_EQ(ListCell(Item(main, 1000), 0, 2), L"REPORT.TXT");
  EXPECT_EQ(ComboEntries(Item(main, 1011)), std::vector<std::wstring>{L"report.txt"});
  const auto saved = SavedSettings();
  ASSERT_TRUE(saved.has_value());
  EXPECT_EQ(saved->Get(L"Pattern", L"0"), L"REPORT.TXT");
  EXPECT_EQ(saved->Keys(L"FilenamePattern"), std::vector<std::wstring>{L"0"});
}

// Fewer rules leave no stale ones behind: the next start loads exactly
// what was saved.
TEST_F(EditingTest, DeletingTheLastRuleAndThenAllHoldsAcrossRestarts) {
  HWND main = Start(kThreeRules);
  ASSERT_NE(main, nullptr);
  HWND list = Item(main, 1000);
  ClickScreenPoint(ListRowCentre(list, 2));
  ASSERT_TRUE(WaitUntil([&] { return WindowText(Item(main, 1001)) == L"C:\\c"; }));
  Click(main, 1005);
  HWND box = nullptr;
  ExpectBox(box);
  Answer(box, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 2; }));
  RequestClose(main);
  ASSERT_TRUE(savrin->WaitForExit(15000));

  main = Start();
  ASSERT_NE(main, nullptr);
  list = Item(main, 1000);
  ASSERT_EQ(ListRowCount(list), 2);
  EXPECT_EQ(ListCell(list, 0, 0), L"C:\\a");
  EXPECT_EQ(ListCell(list, 1, 0), L"C:\\b");
  ClickScreenPoint(ListRowCentre(list, 0));
  FocusControl(list);
  SendKeyChord({VK_SHIFT, VK_END});  // Wine's list has no Ctrl+A
  ASSERT_TRUE(WaitUntil([&] { return ListSelectedRows(list) == std::vector<int>{0, 1}; }));
  SendKeyChord({VK_DELETE});
  ExpectBox(box);
  Answer(box, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return ListRowCount(list) == 0; }));
  RequestClose(main);
  ASSERT_TRUE(savrin->WaitForExit(15000));

  main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ListRowCount(Item(main, 1000)), 0);
  const auto saved = SavedSettings();
  ASSERT_TRUE(saved.has_value());
  EXPECT_TRUE(saved->Keys(L"Source").empty());
}

}  // namespace
}  // namespace savrin::e2e
