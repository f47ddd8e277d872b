// The settings file: what a start loads into the window, what an end writes.
#include <gtest/gtest.h>

#include <random>

#include "tests/e2e/harness.h"
#include "tests/e2e/savrin_test.h"
#include "tests/e2e/settings_text.h"

namespace savrin::e2e {
namespace {

const wchar_t kThreeRules[] =
    L"[Source]\r\n0=C:\\in\r\n1=C:\\データ\\受信\r\n2=C:\\한글\\\U0001F4C1\r\n"
    L"[Destination]\r\n0=D:\\out\r\n1=D:\\保存\r\n2=D:\\x\r\n"
    L"[Pattern]\r\n0=*.pdf\r\n1=報告.doc\r\n2=*.txt\r\n"
    L"[Condition]\r\n0=65793\r\n1=0\r\n2=1\r\n"
    L"[FilenamePattern]\r\n0=*.pdf\r\n1=報告.doc\r\n"
    L"[Option]\r\nTime=45\r\nStatus=0\r\nMinimized=0\r\n"
    L"[Column]\r\n1=150\r\n2=160\r\n3=70\r\n";

class SettingsTest : public SavrinTest {
 protected:
  std::wstring SavedText() {
    const std::optional<std::wstring> text = TextOfUtf16File(folder.ReadBytes(L"Savrin.ini"));
    EXPECT_TRUE(text.has_value()) << "the settings file is UTF-16LE with a BOM";
    return text.value_or(L"");
  }
  void CloseAndWait(HWND main) {
    RequestClose(main);
    ASSERT_TRUE(savrin->WaitForExit(15000));
  }
};

TEST_F(SettingsTest, StartLoadsRulesHistoryOptionsAndWidths) {
  WriteSettings(kThreeRules);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  HWND list = Item(main, 1000);
  ASSERT_EQ(ListRowCount(list), 3);
  EXPECT_EQ(ListCell(list, 0, 0), L"C:\\in");
  EXPECT_EQ(ListCell(list, 0, 1), L"D:\\out");
  EXPECT_EQ(ListCell(list, 0, 2), L"*.pdf");
  EXPECT_EQ(ListCell(list, 1, 0), L"C:\\データ\\受信");
  EXPECT_EQ(ListCell(list, 1, 2), L"報告.doc");
  EXPECT_EQ(ListCell(list, 2, 0), L"C:\\한글\\\U0001F4C1");
  EXPECT_EQ(ListColumnWidth(list, 0), 150);
  EXPECT_EQ(ListColumnWidth(list, 1), 160);
  EXPECT_EQ(ListColumnWidth(list, 2), 70);
  EXPECT_EQ(ComboEntries(Item(main, 1011)), (std::vector<std::wstring>{L"*.pdf", L"報告.doc"}));
  EXPECT_EQ(WindowText(Item(main, 1018)), L"45");
  EXPECT_FALSE(IsChecked(Item(main, 1019)));
}

// Values are taken as the file gives them: Minimized is hexadecimal and only
// exactly 1 hides; a stored interval is not bounded; -1 keeps a computed
// column width and 0 is a width like any other.
TEST_F(SettingsTest, StoredValuesAreTakenAsTheyCome) {
  struct Case {
    const wchar_t* minimized;
    bool hidden;
    const wchar_t* time;
    const wchar_t* columns;
    const wchar_t* savedMinimized;
  } const cases[] = {
      {L"10", false, L"0", L"1=-1\r\n2=0\r\n3=-1\r\n", L"16"},
      {L"0x1", true, L"5000000", L"1=0\r\n2=-1\r\n3=0\r\n", L"1"},
      {L"2", false, L"60", L"", L"2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Minimized=" << std::string(c.minimized, c.minimized + wcslen(c.minimized)));
    HWND main = Start(std::wstring(L"[Option]\r\nMinimized=") + c.minimized + L"\r\nTime=" + c.time +
                      L"\r\n[Column]\r\n" + c.columns);
    ASSERT_NE(main, nullptr);
    bool everShown = false;
    for (int i = 0; i < 15; ++i, Sleep(50)) everShown |= IsWindowVisible(main) != FALSE;
    EXPECT_EQ(everShown, !c.hidden);
    EXPECT_EQ(WindowText(Item(main, 1018)), c.time);

    HWND list = Item(main, 1000);
    RECT client{};
    GetClientRect(list, &client);
    const int computed[3] = {2 * client.right / 5, 2 * client.right / 5, client.right - 2 * (2 * client.right / 5)};
    const std::wstring columns = c.columns;
    for (int column = 0; column < 3; ++column) {
      const std::wstring key = std::to_wstring(column + 1) + L"=0\r\n";
      const bool zero = columns.find(key) != std::wstring::npos;
      EXPECT_EQ(ListColumnWidth(list, column), zero ? 0 : computed[column]) << "column " << column;
    }
    CloseAndWait(main);
    EXPECT_EQ(Saved(L"Option", L"Time"), c.time) << "saved as it was loaded";
    EXPECT_EQ(Saved(L"Option", L"Minimized"), c.savedMinimized);
  }
}

TEST_F(SettingsTest, CloseWritesTheSameStateBackWithTheWindowRectangle) {
  WriteSettings(std::wstring(L"; kept by the user\r\n[Other]\r\nkey=value\r\n") + kThreeRules);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  RECT window{};
  GetWindowRect(main, &window);
  CloseAndWait(main);

  const SettingsView saved(SavedText());
  EXPECT_EQ(saved.Keys(L"Source"), (std::vector<std::wstring>{L"0", L"1", L"2"}));
  EXPECT_EQ(saved.Get(L"Source", L"1"), L"C:\\データ\\受信");
  EXPECT_EQ(saved.Get(L"Source", L"2"), L"C:\\한글\\\U0001F4C1") << "characters outside the Japanese code page survive";
  EXPECT_EQ(saved.Get(L"Destination", L"1"), L"D:\\保存");
  EXPECT_EQ(saved.Get(L"Pattern", L"1"), L"報告.doc");
  EXPECT_EQ(saved.Get(L"Condition", L"0"), L"65793");
  EXPECT_EQ(saved.Get(L"FilenamePattern", L"1"), L"報告.doc");
  EXPECT_FALSE(saved.Get(L"FilenamePattern", L"2").has_value());
  EXPECT_EQ(saved.Get(L"Option", L"Time"), L"45");
  EXPECT_EQ(saved.Get(L"Option", L"Status"), L"0");
  EXPECT_EQ(saved.Get(L"Option", L"Minimized"), L"0");
  EXPECT_EQ(saved.Get(L"Column", L"1"), L"150");
  EXPECT_EQ(saved.Get(L"Option", L"Left"), std::to_wstring(window.left));
  EXPECT_EQ(saved.Get(L"Option", L"Top"), std::to_wstring(window.top));
  EXPECT_EQ(saved.Get(L"Option", L"Right"), std::to_wstring(window.right));
  EXPECT_EQ(saved.Get(L"Option", L"Bottom"), std::to_wstring(window.bottom));
  EXPECT_EQ(saved.Get(L"Other", L"key"), L"value") << "sections the program does not own survive";
  EXPECT_NE(SavedText().find(L"; kept by the user"), std::wstring::npos);
}

TEST_F(SettingsTest, WithoutAFileTheDefaultsApplyAndTheWindowIsCentred) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ListRowCount(Item(main, 1000)), 0);
  EXPECT_EQ(WindowText(Item(main, 1018)), L"60");
  EXPECT_TRUE(IsChecked(Item(main, 1019))) << "a first start begins with monitoring stopped";
  EXPECT_TRUE(ComboEntries(Item(main, 1011)).empty());
  RECT window{};
  GetWindowRect(main, &window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  EXPECT_EQ(window.left, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
  EXPECT_EQ(window.top, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2);
  EXPECT_FALSE(folder.Exists(L"Savrin.ini")) << "nothing is written during start-up";
}

TEST_F(SettingsTest, StoredRectangleOfTheRightSizeIsUsedWhereverItLies) {
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  RECT window{};
  GetWindowRect(main, &window);
  CloseAndWait(main);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;

  std::wstring text = SavedText();
  WriteSettings(L"[Option]\r\nTop=7\r\nLeft=9\r\nRight=" + std::to_wstring(9 + width) +
                L"\r\nBottom=" + std::to_wstring(7 + height) + L"\r\n");
  main = Start();
  ASSERT_NE(main, nullptr);
  GetWindowRect(main, &window);
  EXPECT_EQ(window.left, 9);
  EXPECT_EQ(window.top, 7);
  CloseAndWait(main);

  // One pixel off in width: discarded, centred.
  WriteSettings(L"[Option]\r\nTop=7\r\nLeft=9\r\nRight=" + std::to_wstring(10 + width) +
                L"\r\nBottom=" + std::to_wstring(7 + height) + L"\r\n");
  main = Start();
  ASSERT_NE(main, nullptr);
  GetWindowRect(main, &window);
  EXPECT_EQ(window.left, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
}

TEST_F(SettingsTest, GarbageInTheFileStillGivesAWindow) {
  std::mt19937 random(12345);
  std::string garbage(64 * 1024, '\0');
  for (char& byte : garbage) byte = static_cast<char>(random());
  folder.WriteBytes(L"Savrin.ini", garbage);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(IsWindowVisible(main));
  CloseAndWait(main);
}

TEST_F(SettingsTest, ShiftJisFileWrittenByTheAnsiProfileFunctionsLoads) {
  // "[Source]\r\n0=C:\データ\受信" ... in code page 932, no byte-order mark.
  const std::string sjis =
      "[Source]\r\n0=C:\\\x83\x66\x81\x5B\x83\x5E\\\x8E\xF3\x90\x4D\r\n"
      "[Destination]\r\n0=D:\\out\r\n[Pattern]\r\n0=*.txt\r\n[Condition]\r\n0=1\r\n";
  folder.WriteBytes(L"Savrin.ini", sjis);
  HWND main = Start();
  ASSERT_NE(main, nullptr);
  ASSERT_EQ(ListRowCount(Item(main, 1000)), 1);
  EXPECT_EQ(ListCell(Item(main, 1000), 0, 0), L"C:\\データ\\受信");
}

// A sync client or a virus scanner holding the settings file as the program
// starts: held for a moment, the file is read once it is free; held for
// good, it is kept aside under a name that says what it is and the session
// saves to a fresh file, so that neither its rules nor the session are lost.
TEST_F(SettingsTest, ASettingsFileHeldByAnotherProgramLosesNeitherItsRulesNorTheSession) {
  const std::wstring path = folder.Join(L"Savrin.ini");
  auto hold = [&](DWORD share) {
    return CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  WriteSettings(kThreeRules);
  HANDLE held = hold(0);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  savrin = SavrinProcess::Start(folder);
  Sleep(700);
  CloseHandle(held);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ListRowCount(Item(main, 1000)), 3) << "read once the file was free";
  CloseAndWait(main);
  EXPECT_EQ(SavedSettings()->Keys(L"Source").size(), 3u);

  // Readers are kept out for good; a rename is let through.
  const std::string stored = folder.ReadBytes(L"Savrin.ini");
  held = hold(FILE_SHARE_DELETE);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  main = Start();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ListRowCount(Item(main, 1000)), 0) << "the defaults, as nothing could be read";
  SetText(Item(main, 1011), L"*.session");
  Click(main, 1014);  // the history's add button saves the whole file
  CloseAndWait(main);
  CloseHandle(held);

  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(folder.Join(L"Savrin.unreadable-*.ini").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE) << "the unreadable file is kept aside";
  FindClose(find);
  EXPECT_EQ(folder.ReadBytes(found.cFileName), stored) << "with the stored rules in it";
  const auto saved = SavedSettings();
  ASSERT_TRUE(saved.has_value()) << "the session saved to a fresh file";
  EXPECT_EQ(saved->Get(L"FilenamePattern", L"0"), L"*.session");
  EXPECT_TRUE(saved->Keys(L"Source").empty());
}

TEST_F(SettingsTest, KillingTheProgramWhileItSavesNeverLosesARule) {
  WriteSettings(kThreeRules);
  std::mt19937 random(2026);
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    HWND main = Start();
    ASSERT_NE(main, nullptr);
    // Each click of the history's add button saves the whole file.
    for (int i = 0; i < 200; ++i) Click(main, 1014);
    Sleep(static_cast<DWORD>(random() % 60));
    savrin.reset();  // terminates the process wherever it is

    const std::optional<std::wstring> text = TextOfUtf16File(folder.ReadBytes(L"Savrin.ini"));
    ASSERT_TRUE(text.has_value());
    const SettingsView saved(*text);
    ASSERT_EQ(saved.Keys(L"Source").size(), 3u);
    EXPECT_EQ(saved.Get(L"Source", L"2"), L"C:\\한글\\\U0001F4C1");
    EXPECT_EQ(saved.Get(L"Condition", L"2"), L"1");
  }
}

}  // namespace
}  // namespace savrin::e2e
