// A pass that takes seconds: the title blinks, the edit buttons are off, an
// exit waits for the pass, and the tray icon blinks while the window hides.
#include "tests/e2e/harness.h"
#include "tests/e2e/savrin_test.h"

#include <shellapi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/e2e/fake_taskbar.h"
#include "tests/e2e/settings_text.h"

namespace savrin::e2e {
namespace {

constexpr int kSlowFiles = 1500;

class LongPassTest : public SavrinTest {
 protected:
  // Rule 0 copies many small files, each flushed to disk, which takes
  // seconds; rule 1 moves one file, to show that later rules still run.
  HWND Start(const std::wstring& options) {
    const std::wstring slow = folder.Join(L"slow");
    CreateDirectoryW(slow.c_str(), nullptr);
    for (int i = 0; i < kSlowFiles; ++i) folder.WriteBytes(L"slow\\f" + std::to_wstring(i) + L".dat", std::string(512, 'x'));
    CreateDirectoryW(folder.Join(L"in").c_str(), nullptr);
    folder.WriteBytes(L"in\\last.txt", "last");
    const std::wstring text = L"[Source]\r\n0=" + slow + L"\r\n1=" + folder.Join(L"in") +
                              L"\r\n[Destination]\r\n0=" + folder.Join(L"copies") + L"\r\n1=" + folder.Join(L"out") +
                              L"\r\n[Pattern]\r\n0=*.dat\r\n1=last.txt\r\n[Condition]\r\n0=65537\r\n1=0\r\n" +
                              L"[Option]\r\nTime=60\r\n" + options;
    folder.WriteBytes(L"Savrin.ini", Utf16FileBytes(text));
    savrin = SavrinProcess::Start(folder);
    HWND main = savrin->WaitForMainWindow();
    EXPECT_NE(main, nullptr);
    return main;
  }
  int CopiesMade() const {
    int copies = 0;
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(folder.Join(L"copies\\*.dat").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do ++copies;
    while (FindNextFileW(find, &found));
    FindClose(find);
    return copies;
  }
};

TEST_F(LongPassTest, CloseDuringAPassWaitsForItAndTheTitleShowsWhy) {
  HWND main = Start(L"Status=1\r\n");
  ASSERT_NE(main, nullptr);
  SaveCounter saves(folder);
  PostMessageW(main, WM_COMMAND, 32773, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Item(main, 1003)); }));
  RequestClose(main);

  std::set<std::wstring> titles;
  WaitUntil(
      [&] {
        if (IsWindow(main)) titles.insert(WindowText(main));
        return savrin->HasExited();
      },
      120000);
  // Unless the pass ended within two seconds, the exit-pending text showed.
  const bool blinked = titles.count(L"Savrin - 処理中 - (プログラム終了保留中)") != 0;
  ASSERT_TRUE(savrin->WaitForExit(120000));
  EXPECT_TRUE(folder.Exists(L"out\\last.txt")) << "the remaining rule still ran";
  EXPECT_TRUE(folder.Exists(L"copies\\f" + std::to_wstring(kSlowFiles - 1) + L".dat"));
  EXPECT_TRUE(blinked) << "the copy should take more than two seconds; titles seen: " << titles.size();
  EXPECT_EQ(saves.Saves(), 1) << "a deferred close saves once, as the window goes";
  for (const std::wstring& title : titles) {
    if (title.empty()) continue;  // read while the window was being destroyed
    EXPECT_TRUE(title == L"Savrin" || title == L"Savrin - 処理中 -" || title == L"Savrin - 処理中 - (プログラム終了保留中)");
  }
}

TEST_F(LongPassTest, TrayExitDuringAPassLeavesTheButtonsToThePassAndEndsAfterIt) {
  HWND main = Start(L"Status=1\r\n");
  ASSERT_NE(main, nullptr);
  SaveCounter saves(folder);
  PostMessageW(main, WM_COMMAND, 32773, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(Item(main, 1003)); }));
  PostMessageW(main, WM_COMMAND, 32777, 0);
  // Deferred, not taken at once: the title says why the program goes on.
  EXPECT_TRUE(WaitUntil([&] { return WindowText(main) == L"Savrin - 処理中 - (プログラム終了保留中)"; }));
  EXPECT_FALSE(savrin->HasExited());
  EXPECT_FALSE(IsWindowEnabled(Item(main, 1003))) << "the buttons stay the pass's";
  ASSERT_TRUE(savrin->WaitForExit(120000));
  EXPECT_EQ(saves.Saves(), 1) << "only the window's destruction saves";
  EXPECT_TRUE(folder.Exists(L"out\\last.txt")) << "the remaining rule still ran";
  const auto text = TextOfUtf16File(folder.ReadBytes(L"Savrin.ini"));
  ASSERT_TRUE(text.has_value()) << "the window's destruction saved";
}

TEST_F(LongPassTest, OrganizeNowThenCloseBeforeTheTickEndsWithoutAPass) {
  HWND main = Start(L"Status=1\r\n");
  ASSERT_NE(main, nullptr);
  SaveCounter saves(folder);
  // Both land in the queue before the next tick: the requested pass counts
  // as running, so the close is deferred to that tick, which ends the program.
  PostMessageW(main, WM_COMMAND, 32773, 0);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(savrin->WaitForExit(15000));
  EXPECT_EQ(saves.Saves(), 1) << "a close taken at once would have saved twice";
  EXPECT_FALSE(folder.Exists(L"copies"));
  EXPECT_TRUE(folder.Exists(L"in\\last.txt"));
}

// During a pass the five edit buttons are off and the window answers.
// Neither a second request nor Escape reaches the running pass: its own pump
// does no dialog keyboard handling, so Escape is no cancel there. A message
// box opened from the list (the Delete key) runs a loop of its own, which
// dispatches the timer's ticks; once the operation the pass waits for has
// ended, such a tick must still start no second pass: the first is only held
// up, not over.
TEST_F(LongPassTest, DuringAPassOnlyTheEditButtonsAreOffAndNothingStartsASecondPass) {
  HWND main = Start(L"Status=1\r\n");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, 32773, 0);
  // The pass turns the five off one after another; the first may be seen
  // off before the last.
  const auto editButtonsOff = [&] {
    for (int id : {1003, 1005, 1006, 1012, 1013}) {
      if (IsWindowEnabled(Item(main, id))) return false;
    }
    return true;
  };
  ASSERT_TRUE(WaitUntil(editButtonsOff));
  for (int id : {1007, 1008, 1014, 1015, 1018, 1019}) EXPECT_TRUE(IsWindowEnabled(Item(main, id))) << id;
  DWORD_PTR result = 0;
  EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &result));
  PostMessageW(main, WM_COMMAND, 32773, 0);
  FocusControl(Item(main, 1007));
  SendKeyChord({VK_ESCAPE});

  HWND list = Item(main, 1000);
  ClickScreenPoint(ListRowCentre(list, 0));
  FocusControl(list);
  SendKeyChord({VK_DELETE});
  HWND box = savrin->WaitForOtherDialog(10000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(ReadMessageBox(box).text, L"アイテムを削除してよろしいですか？");
  // The files are copied in the folder's order, not by name: all of them.
  ASSERT_TRUE(WaitUntil([&] { return CopiesMade() >= kSlowFiles; }, 120000));
  Sleep(1500);  // fifteen ticks with the operation over and the box still open
  AnswerMessageBox(box, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return folder.Exists(L"out\\last.txt"); }, 120000));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(Item(main, 1003)) != FALSE; }, 120000));
  Sleep(500);
  EXPECT_EQ(CopiesMade(), kSlowFiles) << "a second pass copied the files again, renamed";
  EXPECT_EQ(ListRowCount(list), 2) << "No keeps the rules";
  EXPECT_EQ(WindowText(main), L"Savrin");
  EXPECT_FALSE(savrin->HasExited()) << "Escape during the pass ended the program";
}

// The tray menu works during a pass (its waiting dispatches the messages);
// stopping monitoring there shows the stopped icon at once and again when
// the blinking ends. A left click during the next pass takes the icon away
// for good: the blinking stops by itself and nothing adds the icon back.
TEST_F(LongPassTest, TrayMenuAndLeftClickDuringABlinkingPass) {
  FakeTaskbar taskbar;
  HWND main = Start(L"Status=0\r\nMinimized=1\r\n");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !taskbar.Requests().empty(); }));
  const std::wstring exe = folder.Join(L"Savrin.exe");
  const auto blink = ProgramIconBits(exe, 133);
  const auto stopped = ProgramIconBits(exe, 132);
  const auto running = ProgramIconBits(exe, 134);
  const auto requestsSince = [&](size_t first) {
    const std::vector<TrayRequest> all = taskbar.Requests();
    return std::vector<TrayRequest>(all.begin() + static_cast<std::ptrdiff_t>(std::min(first, all.size())), all.end());
  };
  const auto blinkSince = [&](size_t first) {
    for (const TrayRequest& request : requestsSince(first)) {
      if (request.iconBits == blink) return true;
    }
    return false;
  };
  const auto passRunning = [&] { return !IsWindowEnabled(Item(main, 1003)); };

  PostMessageW(main, WM_COMMAND, 32773, 0);
  ASSERT_TRUE(WaitUntil(passRunning));
  ASSERT_TRUE(WaitUntil([&] { return blinkSince(0); }, 20000));
  PostMessageW(main, 0x8002, 12, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
  }));
  SendKeyChord({VK_DOWN});
  SendKeyChord({VK_DOWN});
  const size_t beforeStop = taskbar.Requests().size();
  SendKeyChord({VK_RETURN});
  // The worker never sends the stopped icon while it blinks: this one is the command's.
  EXPECT_TRUE(WaitUntil(
      [&] {
        for (const TrayRequest& request : requestsSince(beforeStop)) {
          if (request.action == NIM_MODIFY && request.iconBits == stopped) return true;
        }
        return false;
      },
      1000));
  EXPECT_TRUE(passRunning()) << "the pass should outlast the menu";
  EXPECT_TRUE(IsChecked(Item(main, 1019)));
  ASSERT_TRUE(WaitUntil([&] { return !passRunning(); }, 120000));
  Sleep(500);
  int blinks = 0;
  int runnings = 0;
  for (const TrayRequest& request : taskbar.Requests()) {
    if (request.action != NIM_MODIFY) continue;
    blinks += request.iconBits == blink;
    runnings += request.iconBits == running;
  }
  EXPECT_GE(blinks, 1);
  EXPECT_GE(runnings, 1) << "a blink alternates with the running icon, also once monitoring is stopped";
  EXPECT_TRUE(taskbar.Requests().back().iconBits == stopped) << "the end of the blinking shows the new state";
  EXPECT_EQ(Saved(L"Option", L"Status"), L"1");

  const size_t beforeSecondPass = taskbar.Requests().size();
  PostMessageW(main, WM_COMMAND, 32773, 0);
  // The request alone starts the blinking, a tick before the pass begins.
  ASSERT_TRUE(WaitUntil(passRunning));
  ASSERT_TRUE(WaitUntil([&] { return blinkSince(beforeSecondPass); }, 20000));
  PostMessageW(main, 0x8002, 12, WM_LBUTTONUP);
  ASSERT_TRUE(WaitUntil([&] { return taskbar.Requests().back().action == NIM_DELETE; }, 1000))
      << "the click removes the icon at once";
  const size_t deleted = taskbar.Requests().size();
  EXPECT_TRUE(IsWindowVisible(main));
  const ULONGLONG clicked = GetTickCount64();
  ASSERT_TRUE(WaitUntil([&] { return !passRunning(); }, 120000));
  const ULONGLONG passEnded = GetTickCount64();
  Sleep(500);
  int modifies = 0;
  for (const TrayRequest& request : requestsSince(deleted)) {
    EXPECT_NE(request.action, static_cast<DWORD>(NIM_ADD)) << "the icon came back";
    modifies += request.action == NIM_MODIFY;
  }
  // One blink already on its way and the restore at most; blinking on
  // would send two a second.
  EXPECT_LE(modifies, 2);
  EXPECT_GE(passEnded - clicked, 1500u) << "the pass ended too soon to tell";
}

}  // namespace
}  // namespace savrin::e2e
