// The tray icon, driven through its window messages, with a stand-in taskbar
// that records what the program asks of the notification area.
#include "tests/e2e/harness.h"
#include "tests/e2e/savrin_test.h"

#include <shellapi.h>
#include <gtest/gtest.h>

#include "tests/e2e/fake_taskbar.h"
#include "tests/e2e/settings_text.h"

namespace savrin::e2e {
namespace {

constexpr UINT kTrayNotify = 0x8002;

class TrayTest : public SavrinTest {
 protected:
  int IconShownBy(const TrayRequest& request) {
    for (int resource = 129; resource <= 134; ++resource) {
      if (request.iconBits == ProgramIconBits(folder.Join(L"Savrin.exe"), resource)) return resource;
    }
    return 0;
  }

  FakeTaskbar taskbar;
};

TEST_F(TrayTest, HiddenStartNeverShowsTheWindowAndAddsTheStatusIcon) {
  HWND main = Start(L"[Option]\r\nMinimized=1\r\nStatus=1\r\n");
  ASSERT_NE(main, nullptr);
  for (int i = 0; i < 20; ++i) {
    ASSERT_FALSE(IsWindowVisible(main)) << "visible at " << i * 50 << " ms";
    Sleep(50);
  }
  ASSERT_TRUE(WaitUntil([&] { return !taskbar.Requests().empty(); }));
  const TrayRequest add = taskbar.Requests().front();
  EXPECT_EQ(add.action, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(add.id, 12u);
  EXPECT_EQ(add.flags, 7u);
  EXPECT_EQ(add.callbackMessage, kTrayNotify);
  EXPECT_EQ(add.tip, L"Savrin");
  EXPECT_EQ(IconShownBy(add), 132) << "monitoring stopped, 256-colour set";
}

TEST_F(TrayTest, MinimiseHidesAndLeftClickRestores) {
  HWND main = Start(L"[Option]\r\nStatus=0\r\n");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));
  ASSERT_TRUE(WaitUntil([&] { return !taskbar.Requests().empty(); }));
  EXPECT_EQ(taskbar.Requests().front().action, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(IconShownBy(taskbar.Requests().front()), 134) << "monitoring running";

  PostMessageW(main, kTrayNotify, 12, WM_LBUTTONDBLCLK);
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(main)) << "a double click itself does nothing";
  PostMessageW(main, kTrayNotify, 12, WM_LBUTTONUP);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  ASSERT_TRUE(WaitUntil([&] { return taskbar.Requests().back().action == NIM_DELETE; }));

  RequestClose(main);
  ASSERT_TRUE(savrin->WaitForExit(15000));
  EXPECT_EQ(Saved(L"Option", L"Minimized"), L"0");
}

TEST_F(TrayTest, ToggleTwiceReturnsEverythingAndShowsEachStatusIcon) {
  HWND main = Start(L"[Option]\r\nStatus=0\r\nMinimized=1\r\n");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !taskbar.Requests().empty(); }));
  taskbar.Clear();

  PostMessageW(main, WM_COMMAND, 32778, 0);
  ASSERT_TRUE(WaitUntil([&] { return Saved(L"Option", L"Status") == L"1"; }));
  EXPECT_TRUE(IsChecked(Item(main, 1019)));
  EXPECT_EQ(Saved(L"Option", L"Minimized"), L"1");
  PostMessageW(main, WM_COMMAND, 32778, 0);
  ASSERT_TRUE(WaitUntil([&] { return Saved(L"Option", L"Status") == L"0"; }));
  EXPECT_FALSE(IsChecked(Item(main, 1019)));

  const std::vector<TrayRequest> requests = taskbar.Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].action, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(IconShownBy(requests[0]), 132);
  EXPECT_EQ(IconShownBy(requests[1]), 134);
}

TEST_F(TrayTest, ExitFromTheTrayWhileHiddenEndsAtOnceAndTheNextStartIsHidden) {
  HWND main = Start(L"[Option]\r\nMinimized=1\r\n");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, 32777, 0);
  ASSERT_TRUE(savrin->WaitForExit(15000));
  EXPECT_EQ(Saved(L"Option", L"Minimized"), L"1");
  main = Start();
  ASSERT_NE(main, nullptr);
  Sleep(500);
  EXPECT_FALSE(IsWindowVisible(main));
}

TEST_F(TrayTest, TaskbarCreatedWhileShownAddsTheIcon) {
  HWND main = Start(L"[Option]\r\nStatus=0\r\n");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !taskbar.Requests().empty(); }));
  EXPECT_EQ(taskbar.Requests().front().action, static_cast<DWORD>(NIM_ADD));
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(TrayTest, RightClickOpensTheMenuWhoseCommandsReachTheWindow) {
  HWND main = Start(L"[Option]\r\nStatus=1\r\nMinimized=1\r\n");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, kTrayNotify, 12, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    menu = FindWindowW(L"#32768", nullptr);
    return menu != nullptr && IsWindowVisible(menu);
  }));
  // The third item toggles monitoring: Down moves over the separators.
  SendKeyChord({VK_DOWN});
  SendKeyChord({VK_DOWN});
  SendKeyChord({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return Saved(L"Option", L"Status") == L"0"; }));
}

TEST(TrayMenuResource, HoldsItsFourCommandsBetweenSeparators) {
  // Wine keeps a menu's items in the process that owns it, so the open menu
  // cannot be read from outside; its resource can.
  HMODULE exe = LoadLibraryExW((DriverFolder() + L"\\Savrin.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  HMENU menu = LoadMenuW(exe, MAKEINTRESOURCEW(141));
  ASSERT_NE(menu, nullptr);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_EQ(GetMenuItemCount(popup), 7);
  const std::pair<UINT, const wchar_t*> items[] = {
      {32773, L"今すぐ整理(&S)"}, {0, L""}, {32778, L"監視停止(&K)"}, {0, L""},
      {32774, L"ﾊﾞｰｼﾞｮﾝ情報(&V)"}, {0, L""}, {32777, L"終了(&X)"}};
  for (int i = 0; i < 7; ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(popup, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
    EXPECT_EQ(GetMenuItemID(popup, i), items[i].first) << i;
    EXPECT_STREQ(text, items[i].second) << i;
  }
  wchar_t caption[32] = {};
  GetMenuStringW(menu, 0, caption, 32, MF_BYPOSITION);
  EXPECT_STREQ(caption, L"タスクトレイ");
  DestroyMenu(menu);
  FreeLibrary(exe);
}

}  // namespace
}  // namespace savrin::e2e
