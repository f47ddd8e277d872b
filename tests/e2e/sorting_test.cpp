// Sorting passes on real folders: rules from the settings file, passes
// requested from the tray menu, files checked on disk.
#include <gtest/gtest.h>

#include "tests/e2e/harness.h"
#include "tests/e2e/settings_text.h"

namespace savrin::e2e {
namespace {

constexpr UINT kOrganizeNow = 32773;

struct Rule {
  std::wstring source;
  std::wstring destination;
  std::wstring pattern;
  unsigned word;
};

class SortingTest : public ::testing::Test {
 protected:
  std::wstring Folder(const std::wstring& name) {
    const std::wstring path = folder.Join(name);
    CreateDirectoryW(path.c_str(), nullptr);
    return path;
  }
  void Write(const std::wstring& relative, const std::string& content) { folder.WriteBytes(relative, content); }
  std::string Read(const std::wstring& relative) { return folder.ReadBytes(relative); }
  bool Exists(const std::wstring& relative) { return folder.Exists(relative); }

  // Starts with the rules and monitoring stopped, so that only requested
  // passes run.
  HWND Start(const std::vector<Rule>& rules) {
    std::wstring text;
    const wchar_t* sections[] = {L"Source", L"Destination", L"Pattern", L"Condition"};
    for (int s = 0; s < 4; ++s) {
      text += std::wstring(L"[") + sections[s] + L"]\r\n";
      for (size_t i = 0; i < rules.size(); ++i) {
        const Rule& r = rules[i];
        const std::wstring value = s == 0 ? r.source : s == 1 ? r.destination : s == 2 ? r.pattern : std::to_wstring(r.word);
        text += std::to_wstring(i) + L"=" + value + L"\r\n";
      }
    }
    text += L"[Option]\r\nStatus=1\r\nTime=60\r\n";
    folder.WriteBytes(L"Savrin.ini", Utf16FileBytes(text));
    savrin = SavrinProcess::Start(folder);
    main = savrin->WaitForMainWindow();
    EXPECT_NE(main, nullptr);
    return main;
  }
  // One pass, requested as from the tray menu; returns once it has ended
  // (the edit buttons come back when the pass is over).
  void Pass() {
    PostMessageW(main, WM_COMMAND, kOrganizeNow, 0);
    Sleep(400);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Item(main, 1003)) != FALSE; }, 20000));
  }

  TestFolder folder;
  std::unique_ptr<SavrinProcess> savrin;
  HWND main = nullptr;
};

TEST_F(SortingTest, MovesAndCopiesAsEachRuleSays) {
  const std::wstring in = Folder(L"in");
  Write(L"in\\a.pdf", "pdf a");
  Write(L"in\\b.PDF", "pdf b");
  Write(L"in\\note.txt", "note");
  Write(L"in\\memo.txt", "memo");
  Write(L"in\\page.html", "html");
  Write(L"in\\README", "read me");
  Write(L"in\\\u0386\u03bb\u03c6\u03b1.txt", "alpha");  // Άλφα.txt
  Folder(L"in\\sub.pdf");
  Folder(L"in\\only.dir");
  Write(L"in\\only.dir\\inside.txt", "inside");
  Folder(L"in\\album");
  Folder(L"in\\album\\2005");
  Write(L"in\\album\\cover.jpg", "cover");
  Write(L"in\\album\\2005\\beach.jpg", "beach");
  ASSERT_NE(Start({{in, folder.Join(L"dirs"), L"*.dir", 0x00001},         // matches a folder only
                   {in, folder.Join(L"out\\album"), L"album", 0x00000},  // move, plain name of a folder
                   {in, folder.Join(L"pdf"), L"\"*.pdf \"", 0x00001},     // move, rename, wildcard, a space too many
                   {in, folder.Join(L"copies"), L"note.txt", 0x10000},    // copy, rename, plain
                   {in, folder.Join(L"web"), L"*.htm", 0x00001},
                   {in, folder.Join(L"never\\made\\here"), L"*.zip", 1},
                   {in, folder.Join(L"no dot"), L"*.", 0x00001},          // names without a dot
                   {in, folder.Join(L"greek"), L"\u03ac*", 0x00001},      // ά*, lower case and accented
                   {in, folder.Join(L"memos"), L"\"memo.txt. \"", 0}}),  // move, plain, a dot and a space too many
            nullptr);
  EXPECT_EQ(ListCell(Item(main, 1000), 2, 2), L"*.pdf ") << "the condition shows as typed";
  Pass();
  EXPECT_EQ(Read(L"no dot\\README"), "read me") << "*. takes a name without a dot";
  EXPECT_EQ(Read(L"greek\\\u0386\u03bb\u03c6\u03b1.txt"), "alpha") << "ά* takes Άλφα.txt";
  EXPECT_EQ(Read(L"pdf\\a.pdf"), "pdf a") << "*.pdf with a trailing space takes the PDFs";
  EXPECT_EQ(Read(L"pdf\\b.PDF"), "pdf b");
  EXPECT_FALSE(Exists(L"in\\a.pdf"));
  EXPECT_TRUE(Exists(L"in\\sub.pdf")) << "a wildcard never takes folders";
  EXPECT_EQ(Read(L"copies\\note.txt"), "note");
  // A plain name without its trailing dot and space: the file keeps its name.
  EXPECT_EQ(Read(L"memos\\memo.txt"), "memo");
  EXPECT_FALSE(Exists(L"in\\memo.txt"));
  EXPECT_EQ(GetFileAttributesW((L"\\\\?\\" + folder.Join(L"memos\\memo.txt. ")).c_str()), INVALID_FILE_ATTRIBUTES)
      << "no name Win32 cannot open";
  EXPECT_EQ(Read(L"in\\note.txt"), "note") << "a copy leaves the source";
  EXPECT_TRUE(Exists(L"in\\page.html")) << "*.htm must not take page.html through its short name";
  EXPECT_TRUE(Exists(L"in\\note.txt")) << "*. leaves a name with a dot";
  EXPECT_TRUE(Exists(L"web")) << "the destination is made even when nothing matches";
  EXPECT_TRUE(Exists(L"never\\made\\here")) << "every folder along the path is made";
  EXPECT_EQ(Read(L"in\\only.dir\\inside.txt"), "inside") << "a wildcard that matches only a folder moves nothing";
  EXPECT_TRUE(Exists(L"dirs"));
  EXPECT_FALSE(Exists(L"dirs\\only.dir"));
  // A plain name takes the folder as a whole, to the path that names it.
  EXPECT_EQ(Read(L"out\\album\\album\\cover.jpg"), "cover");
  EXPECT_EQ(Read(L"out\\album\\album\\2005\\beach.jpg"), "beach");
  EXPECT_FALSE(Exists(L"in\\album"));
}

TEST_F(SortingTest, RenameKeepsTheOldFileAndOverwriteReplacesIt) {
  const std::wstring in = Folder(L"in");
  Folder(L"keep");
  Folder(L"replace");
  Write(L"keep\\report.doc", "old kept");
  Write(L"replace\\report.doc", "old replaced");
  Write(L"in\\report.doc", "new");
  ASSERT_NE(Start({{in, folder.Join(L"keep"), L"report.doc", 0x10000},       // copy, rename
                   {in, folder.Join(L"replace"), L"report.doc", 0x10100}}),  // copy, overwrite
            nullptr);
  Pass();
  EXPECT_EQ(Read(L"keep\\report.doc"), "old kept");
  EXPECT_EQ(Read(L"keep\\report (2).doc"), "new");
  EXPECT_EQ(Read(L"replace\\report.doc"), "new");

  Pass();
  EXPECT_EQ(Read(L"keep\\report (3).doc"), "new") << "a copy rule adds one more copy every pass";
  EXPECT_EQ(Read(L"keep\\report.doc"), "old kept");
  EXPECT_FALSE(Exists(L"replace\\report (2).doc"));
}

TEST_F(SortingTest, EqualSourceAndDestinationChangeNothing) {
  const std::wstring in = Folder(L"in");
  Write(L"in\\a.txt", "a");
  ASSERT_NE(Start({{in, in, L"*.txt", 0x10001},       // copy, rename, wildcard
                   {in, in + L"\\", L"a.txt", 0x00000}}),  // move onto itself
            nullptr);
  for (int pass = 0; pass < 3; ++pass) Pass();
  EXPECT_EQ(Read(L"in\\a.txt"), "a");
  EXPECT_FALSE(Exists(L"in\\a (2).txt"));
}

TEST_F(SortingTest, HiddenAndSystemFilesStayUnderAWildcard) {
  const std::wstring in = Folder(L"in");
  Write(L"in\\desktop.ini", "[.ShellClassInfo]");
  Write(L"in\\Thumbs.db", "thumbs");
  Write(L"in\\photo.jpg", "photo");
  SetFileAttributesW(folder.Join(L"in\\desktop.ini").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesW(folder.Join(L"in\\Thumbs.db").c_str(), FILE_ATTRIBUTE_HIDDEN);
  // A name that Win32's path rules would turn into "report", as a share or WSL leaves it.
  const std::wstring dotted = L"\\\\?\\" + folder.Join(L"in\\report.");
  HANDLE file = CreateFileW(dotted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  ASSERT_NE(Start({{in, folder.Join(L"out"), L"*.*", 0x00001}}), nullptr);
  Pass();
  EXPECT_EQ(Read(L"out\\photo.jpg"), "photo");
  EXPECT_NE(GetFileAttributesW((L"\\\\?\\" + folder.Join(L"out\\report.")).c_str()), INVALID_FILE_ATTRIBUTES)
      << "report. is sorted as itself";
  EXPECT_FALSE(Exists(L"out\\report")) << "not as report";
  EXPECT_TRUE(Exists(L"in\\desktop.ini"));
  EXPECT_TRUE(Exists(L"in\\Thumbs.db"));
}

// From Z: (a tmpfs folder under Wine) to C:, so both go through the copy.
TEST_F(SortingTest, AReadOnlyFileMovedOrCopiedToAnotherVolumeKeepsItsAttributesAndTime) {
  const std::wstring shm = L"Z:\\dev\\shm\\savrin-e2e-" + std::to_wstring(GetCurrentProcessId());
  if (!CreateDirectoryW(shm.c_str(), nullptr)) GTEST_SKIP() << "no tmpfs folder on Z:";
  const std::wstring in = shm + L"\\in";
  CreateDirectoryW(in.c_str(), nullptr);
  FILETIME stamp;
  stamp.dwLowDateTime = 0x12345678;
  stamp.dwHighDateTime = 0x01D2A3B4;  // a day in 2017
  for (const wchar_t* name : {L"\\moved.pdf", L"\\copied.txt"}) {
    const std::wstring path = in + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "kept", 4, &written, nullptr);
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  }
  ASSERT_NE(Start({{in, folder.Join(L"out"), L"*.pdf", 0x00001},      // move, rename, wildcard
                   {in, folder.Join(L"out"), L"copied.txt", 0x10000}}),  // copy, rename, plain
            nullptr);
  Pass();
  for (const wchar_t* name : {L"out\\moved.pdf", L"out\\copied.txt"}) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(folder.Join(name).c_str(), GetFileExInfoStandard, &data)) << "missing";
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u) << "read-only is kept";
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, stamp.dwLowDateTime) << "the last-write time is kept";
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, stamp.dwHighDateTime);
    EXPECT_EQ(Read(name), "kept");
  }
  const bool movedAway = GetFileAttributesW((in + L"\\moved.pdf").c_str()) == INVALID_FILE_ATTRIBUTES;
  const bool copyStays = GetFileAttributesW((in + L"\\copied.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
  for (const wchar_t* name : {L"\\moved.pdf", L"\\copied.txt"}) {
    SetFileAttributesW((in + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW((in + name).c_str());
  }
  RemoveDirectoryW(in.c_str());
  RemoveDirectoryW(shm.c_str());
  EXPECT_TRUE(movedAway);
  EXPECT_TRUE(copyStays);
}

TEST_F(SortingTest, MonitoringRunsPassesOnItsOwnAtTheInterval) {
  const std::wstring in = Folder(L"in");
  const std::wstring text = L"[Source]\r\n0=" + in + L"\r\n[Destination]\r\n0=" + folder.Join(L"out") +
                            L"\r\n[Pattern]\r\n0=*.txt\r\n[Condition]\r\n0=1\r\n[Option]\r\nStatus=0\r\nTime=1\r\n";
  folder.WriteBytes(L"Savrin.ini", Utf16FileBytes(text));
  savrin = SavrinProcess::Start(folder);
  main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  Write(L"in\\first.txt", "1");
  ASSERT_TRUE(WaitUntil([&] { return Exists(L"out\\first.txt"); }, 10000));
  Write(L"in\\second.txt", "2");
  ASSERT_TRUE(WaitUntil([&] { return Exists(L"out\\second.txt"); }, 10000));
}

}  // namespace
}  // namespace savrin::e2e
