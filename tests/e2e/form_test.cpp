// The main window's form, its options, the About box, tips and pickers.
#include "tests/e2e/harness.h"
#include "tests/e2e/savrin_test.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include "res/resource.h"
#include "tests/e2e/settings_text.h"

namespace savrin::e2e {
namespace {

class FormTest : public SavrinTest {
 protected:
  static HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
  }
  static std::pair<int, int> Selection(HWND edit) {
    const auto range = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
    return {LOWORD(range), HIWORD(range)};
  }
};

TEST_F(FormTest, FreshStartShowsTheDocumentsFolderAndTheFirstEntries) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  wchar_t documents[MAX_PATH + 1] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE));
  EXPECT_EQ(WindowText(Item(main, 1001)), documents);
  EXPECT_EQ(WindowText(Item(main, 1002)), documents);
  EXPECT_EQ(WindowText(Item(main, 1004)), L"移動");
  EXPECT_EQ(WindowText(Item(main, 1009)), L"リネーム");
  EXPECT_TRUE(IsChecked(Item(main, 1019)));
}

TEST_F(FormTest, TypedBeginningTurnsIntoTheHistoryEntryAtTheNextFormWrite) {
  HWND main = Start(L"[FilenamePattern]\r\n0=*.TXT\r\n[Option]\r\nStatus=1\r\n");
  ASSERT_NE(main, nullptr);
  SetText(Item(main, 1011), L"*.t");
  SetText(Item(main, 1018), L"45");  // an interval change writes the form
  EXPECT_TRUE(WaitUntil([&] { return WindowText(Item(main, 1011)) == L"*.TXT"; }));
}

TEST_F(FormTest, StoredStopStateOfFiveClearsTheBox) {
  HWND main = Start(L"[Option]\r\nStatus=5\r\n");
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsChecked(Item(main, 1019)));
  RequestClose(main);
  ASSERT_TRUE(savrin->WaitForExit(15000));
  EXPECT_EQ(Saved(L"Option", L"Status"), L"0");
}

// The bar shows the seconds counted towards the next pass: an accepted
// interval starts the count afresh on the new range, a rejected one leaves
// both alone. Monitoring runs until the bar has moved, then stops, so that
// the position stands still while the table is typed.
TEST_F(FormTest, IntervalEditTakesTypedTextsByTheTableAndTheBarFollows) {
  CreateDirectoryW(folder.Join(L"in").c_str(), nullptr);
  HWND main = Start(L"[Source]\r\n0=" + folder.Join(L"in") + L"\r\n[Destination]\r\n0=" + folder.Join(L"out") +
                    L"\r\n[Pattern]\r\n0=*.txt\r\n[Condition]\r\n0=1\r\n[Option]\r\nTime=30\r\nStatus=0\r\n");
  ASSERT_NE(main, nullptr);
  HWND edit = Item(main, 1018);
  HWND bar = Item(main, 1021);
  const auto runUntilTheBarShows = [&](int seconds) {
    ASSERT_TRUE(WaitUntil([&] { return ProgressPosition(bar) >= seconds; }, 10000));
    PostMessageW(Item(main, 1019), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(Item(main, 1019)) != FALSE; }));
    Sleep(300);  // the next tick reads the box
  };
  runUntilTheBarShows(2);
  EXPECT_EQ(ProgressHigh(bar), 30);
  struct Case {
    const wchar_t* typed;
    const wchar_t* shown;
    const wchar_t* saved;
  } const cases[] = {
      {L"abc", L"30", L"30"},        {L"", L"", L"30"},      {L"0", L"1", L"1"},
      {L"45", L"45", L"45"},         {L"1000000", L"999999", L"999999"},
      {L"-5", L"999999", L"999999"}, {L"12abc", L"12", L"12"}, {L"abc", L"12", L"12"},
      {L"", L"", L"12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "typed length " << wcslen(c.typed));
    const int position = ProgressPosition(bar);
    const int high = ProgressHigh(bar);
    SetText(edit, c.typed);
    EXPECT_EQ(WindowText(edit), c.shown);
    EXPECT_EQ(Saved(L"Option", L"Time"), c.saved);
    const bool rejected = wcslen(c.typed) == 0 || (!iswdigit(c.typed[0]) && c.typed[0] != L'-');
    EXPECT_EQ(ProgressPosition(bar), rejected ? position : 0);
    EXPECT_EQ(ProgressHigh(bar), rejected ? high : _wtoi(c.shown));
  }

  // Organize now while stopped runs the pass at once, starts the count
  // afresh, and monitoring stays stopped.
  folder.WriteBytes(L"in\\a.txt", "a");
  SetText(edit, L"30");
  PostMessageW(Item(main, 1019), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsChecked(Item(main, 1019)); }));
  runUntilTheBarShows(1);
  ASSERT_GE(ProgressPosition(bar), 1);
  PostMessageW(main, WM_COMMAND, 32773, 0);
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists(L"out\\a.txt"); }));
  EXPECT_EQ(ProgressPosition(bar), 0);
  Sleep(1500);
  EXPECT_EQ(ProgressPosition(bar), 0) << "monitoring stays stopped";
  EXPECT_TRUE(IsChecked(Item(main, 1019)));
}

TEST_F(FormTest, SpinStepsTheIntervalAndSelectsTheEdit) {
  HWND main = Start(L"[Option]\r\nTime=999999\r\n");
  ASSERT_NE(main, nullptr);
  HWND spin = Item(main, 1020);
  RECT box{};
  GetWindowRect(spin, &box);
  const POINT upper{(box.left + box.right) / 2, box.top + (box.bottom - box.top) / 4};
  const POINT lower{(box.left + box.right) / 2, box.bottom - (box.bottom - box.top) / 4};
  HWND edit = Item(main, 1018);

  // Which arrow adds and which subtracts is the control's business: find out
  // in the middle of the range first. A click landing while the new window
  // is still being brought to the front can be lost under Wine, so the first
  // one is tried again; one that arrives twice fails the test below.
  SetText(edit, L"50");
  bool stepped = false;
  for (int attempt = 0; attempt < 3 && !stepped; ++attempt) {
    ClickScreenPoint(upper);
    stepped = WaitUntil([&] { return WindowText(edit) != L"50"; }, 3000);
  }
  ASSERT_TRUE(stepped);
  const bool upperAdds = WindowText(edit) == L"51";
  ASSERT_TRUE(upperAdds || WindowText(edit) == L"49");
  const POINT adding = upperAdds ? upper : lower;
  const POINT subtracting = upperAdds ? lower : upper;
  EXPECT_EQ(FocusOf(main), edit);
  EXPECT_EQ(Selection(edit), std::make_pair(0, 2)) << "the whole text is selected";

  SetText(edit, L"999999");
  ClickScreenPoint(adding);
  Sleep(300);
  EXPECT_EQ(WindowText(edit), L"999999");
  EXPECT_EQ(Saved(L"Option", L"Time"), L"999999");

  SetText(edit, L"1");
  ClickScreenPoint(subtracting);
  Sleep(300);
  EXPECT_EQ(WindowText(edit), L"1");
  ClickScreenPoint(adding);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(edit) == L"2" && Saved(L"Option", L"Time") == L"2"; }));
}

TEST_F(FormTest, StopCheckBoxIsSavedOnlyWithTheNextSave) {
  HWND main = Start(L"[Option]\r\nStatus=1\r\n");
  ASSERT_NE(main, nullptr);
  SetText(Item(main, 1018), L"60");  // creates the file
  ASSERT_EQ(Saved(L"Option", L"Status"), L"1");
  PostMessageW(Item(main, 1019), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsChecked(Item(main, 1019)); }));
  Sleep(300);
  EXPECT_EQ(Saved(L"Option", L"Status"), L"1");
  SetText(Item(main, 1018), L"61");
  EXPECT_EQ(Saved(L"Option", L"Status"), L"0");
}

TEST_F(FormTest, AboutBoxOpensOnceAtATime) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, 16, 0);
  HWND about = savrin->WaitForOtherDialog();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(WindowText(about), L"Savrinのﾊﾞｰｼﾞｮﾝ情報");
  bool versionShown = false;
  for (HWND child : DirectChildren(about)) versionShown |= WindowText(child) == L"Savrin Version 1.32";
  EXPECT_TRUE(versionShown);

  PostMessageW(main, WM_COMMAND, 32774, 0);
  Sleep(500);
  int boxes = 0;
  for (HWND window : savrin->TopLevelWindows()) boxes += ClassName(window) == L"#32770" && IsWindowVisible(window) && window != main;
  EXPECT_EQ(boxes, 1) << "a second request while it is open does nothing";

  AnswerMessageBox(about, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  PostMessageW(main, WM_COMMAND, 32774, 0);
  HWND again = savrin->WaitForOtherDialog();
  ASSERT_NE(again, nullptr);
  AnswerMessageBox(again, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(again); }));

  // The system menu ends in the About item: Up from its first item reaches
  // it. Wine keeps the menu's items in the program's process, where only the
  // keys reach them.
  FocusControl(Item(main, 1001));
  SendKeyChord({VK_MENU, VK_SPACE});
  ASSERT_TRUE(WaitUntil([&] {
    HWND menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
  }));
  SendKeyChord({VK_UP});
  SendKeyChord({VK_RETURN});
  HWND third = savrin->WaitForOtherDialog();
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(WindowText(third), L"Savrinのﾊﾞｰｼﾞｮﾝ情報");
  AnswerMessageBox(third, IDOK);
}

TEST(StringTable, HoldsEveryTextTheProgramLoadsByNumber) {
  // The program names these texts by number and shows what its string
  // table holds; here the words are pinned as the user reads them. The open
  // system menu's items stay in the program's process under Wine, and most
  // messages are only met on paths no other test walks.
  HMODULE exe = LoadLibraryExW((DriverFolder() + L"\\Savrin.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  const std::vector<std::pair<UINT, std::wstring>> expected = {
      {IDS_ABOUTBOX, L"Savrin のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
      {IDS_COLUMN_SOURCE, L"ファイル監視フォルダ"},
      {IDS_COLUMN_DESTINATION, L"振り分け先フォルダ"},
      {IDS_COLUMN_CONDITION, L"ファイル条件"},
      {IDS_PICK_SOURCE, L"ファイルを監視するフォルダを選択してください"},
      {IDS_PICK_DESTINATION, L"振り分け先フォルダを選択してください"},
      {IDS_SOURCE_TOO_LONG, L"ファイル監視フォルダ名が長すぎます\r\n260文字以内で指定してください"},
      {IDS_DESTINATION_TOO_LONG, L"振り分け先フォルダ名が長すぎます\r\n260文字以内で指定してください"},
      {IDS_CONDITION_TOO_LONG, L"ファイル条件が長すぎます\r\n260文字以内で指定してください"},
      {IDS_SOURCE_BAD_CHARACTER,
       L"ファイル監視フォルダ名に使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません"},
      {IDS_DESTINATION_BAD_CHARACTER,
       L"振り分け先フォルダ名にファイル名として使用できない文字があります\r\n/ : , ; * ? \" < > |  これらの文字はファイル名として使用できません"},
      {IDS_CONDITION_EMPTY, L"ファイル条件を指定してください"},
      {IDS_SOURCE_BAD_DRIVE, L"ファイル監視フォルダのドライブ名が無効です"},
      {IDS_SOURCE_DOUBLED_BACKSLASH, L"ファイル監視フォルダ名に連続した\\記号があります"},
      {IDS_DESTINATION_BAD_DRIVE, L"振り分け先フォルダのドライブ名が無効です"},
      {IDS_DESTINATION_DOUBLED_BACKSLASH, L"振り分け先フォルダ名に連続した\\記号があります"},
      {IDS_CONDITION_BAD_CHARACTER,
       L"ファイル条件にファイル名として使用できない文字があります\r\n\\ / : , ; \" < > |  これらの文字はファイル名として使用できません"},
      {IDS_CONFIRM_ALL_FILES,
       L"指定したフォルダのすべてのファイルが適用されようとしています。\r\nアイテムに追加してよろしいですか？"},
      {IDS_CONFIRM_WILDCARD, L"ワイルドカードによって大量のファイルが適用されようとしています。\r\nアイテムに追加してよろしいですか？"},
      {IDS_SOURCE_MISSING, L"ファイル監視フォルダは存在しません"},
      {IDS_DUPLICATE_RULE, L"同じ条件のアイテムが存在します"},
      {IDS_SELECT_RULE_TO_MODIFY, L"変更するアイテムを選択してください"},
      {IDS_SELECT_RULES_TO_DELETE, L"削除するアイテムを選択してください"},
      {IDS_CONFIRM_DELETE, L"アイテムを削除してよろしいですか？"},
      {IDS_PROCESSING_TITLE_SUFFIX, L" - 処理中 -"},
      {IDS_EXIT_PENDING_TITLE, L"Savrin - 処理中 - (プログラム終了保留中)"},
  };
  for (const auto& [id, text] : expected) {
    const wchar_t* stored = nullptr;
    const int length = LoadStringW(exe, id, reinterpret_cast<LPWSTR>(&stored), 0);
    EXPECT_EQ(length > 0 ? std::wstring(stored, static_cast<size_t>(length)) : std::wstring(), text) << id;
  }
  FreeLibrary(exe);
}

TEST_F(FormTest, NineteenTipsWithTheirTexts) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  HWND tip = nullptr;
  for (HWND window : savrin->TopLevelWindows()) {
    if (ClassName(window) == L"tooltips_class32" && GetWindow(window, GW_OWNER) == main) tip = window;
  }
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(GetWindowLongW(tip, GWL_STYLE) & TTS_ALWAYSTIP);
  EXPECT_TRUE(GetWindowLongW(tip, GWL_STYLE) & TTS_NOPREFIX);
  EXPECT_EQ(SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0), 512);
  const std::vector<std::pair<int, std::wstring>> expected = {
      {1003, L"現在の条件でアイテムを追加します"},
      {1006, L"選択中のアイテムを現在の条件に変更します"},
      {1005, L"選択中のアイテムを削除します"},
      {1000, L"アイテムを選択してください\nCTRL+で複数のアイテムを選択すると\n「アイテム編集」で複数のアイテムを操作出来ます。"},
      {1001, L"ファイルを監視するフォルダ名を入力してください"},
      {1002, L"振り分け先フォルダ名を入力してください"},
      {1007, L"ファイルを監視するフォルダを選択します"},
      {1008, L"振り分け先フォルダを選択します"},
      {1004, L"ファイルの振り分け方法を選択してください"},
      {1009, L"同名ファイルが存在する場合の振り分け方法を選択して下さい"},
      {1011, L"ファイル条件を入力するか、既存の条件を選択してください"},
      {1012, L"選択したアイテムを上に移動します"},
      {1013, L"選択したアイテムを下に移動します"},
      {1014, L"ファイル条件を追加します"},
      {1015, L"ファイル条件を削除します"},
      {1018, L"監視時間を入力して下さい"},
      {1019, L"チェックすると監視を一時停止します"},
      {1020, L"監視時間を増減します"},
      {1021, L"ファイル監視の経過時間です"},
  };
  ASSERT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), static_cast<LRESULT>(expected.size()));
  for (size_t i = 0; i < expected.size(); ++i) {
    const ToolTipTool tool = ReadToolTipTool(tip, static_cast<int>(i));
    EXPECT_EQ(GetDlgCtrlID(reinterpret_cast<HWND>(tool.id)), expected[i].first) << i;
    EXPECT_EQ(tool.text, expected[i].second) << i;
  }

  // Hovering: a button's tip is one line, the list's three; a label has none.
  const auto centreOf = [](HWND control) {
    RECT box{};
    GetWindowRect(control, &box);
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  };
  const auto hover = [&](HWND control) {
    MoveMouseTo(centreOf(control));
    MoveMouseTo(POINT{centreOf(control).x + 2, centreOf(control).y + 1});
    return WaitUntil([&] { return IsWindowVisible(tip) != FALSE; }, 3000);
  };
  const auto tipHeight = [&] {
    RECT box{};
    GetWindowRect(tip, &box);
    return box.bottom - box.top;
  };
  FocusControl(main);
  ASSERT_TRUE(hover(Item(main, 1003)));
  const int oneLine = tipHeight();
  HWND label = nullptr;
  for (HWND child : DirectChildren(main)) {
    if (WindowText(child) == L"監視状況") label = child;
  }
  ASSERT_NE(label, nullptr);
  MoveMouseTo(centreOf(label));
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(tip); }, 3000));
  MoveMouseTo(POINT{centreOf(label).x + 1, centreOf(label).y});
  Sleep(1500);
  EXPECT_FALSE(IsWindowVisible(tip)) << "a label has no tip";
  ASSERT_TRUE(hover(Item(main, 1000)));
  // Each line adds its height to the margins of the one-line tip.
  EXPECT_GT(tipHeight(), 2 * oneLine) << "the list's tip has three lines";
}

TEST_F(FormTest, CancelledFolderPickerKeepsTheFieldSavesAndSelectsIt) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  SetText(Item(main, 1001), L"C:\\windows");
  Sleep(300);  // the next tick reads the form
  Click(main, 1007);
  HWND picker = savrin->WaitForOtherDialog();
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(GetWindow(picker, GW_OWNER), main);
  bool titled = false;
  for (HWND child : DirectChildren(picker)) titled |= WindowText(child) == L"ファイルを監視するフォルダを選択してください";
  EXPECT_TRUE(titled) << "the picker says which folder it asks for";
  AnswerMessageBox(picker, IDCANCEL);
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists(L"Savrin.ini"); })) << "saved after a cancel too";
  HWND edit = Item(main, 1001);
  EXPECT_EQ(WindowText(edit), L"C:\\windows");
  EXPECT_EQ(FocusOf(main), edit);
  EXPECT_EQ(Selection(edit), std::make_pair(0, 10));
}

TEST_F(FormTest, EscapeWhileIdleEndsAndSaves) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  FocusControl(Item(main, 1001));
  SendKeyChord({VK_ESCAPE});
  ASSERT_TRUE(savrin->WaitForExit(15000));
  EXPECT_EQ(Saved(L"Option", L"Time"), L"60");
  EXPECT_TRUE(Saved(L"Option", L"Left").has_value());
}

}  // namespace
}  // namespace savrin::e2e
