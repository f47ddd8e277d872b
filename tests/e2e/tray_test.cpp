// The tray icon, driven through its window messages, with a stand-in taskbar
// that records what the program asks of the notification area.
#include "tests/e2e/harness.h"
#include "tests/e2e/savrin_test.h"

#include <shellapi.h>
#include <gtest/gtest.h>

#include <optional>

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

  // Present from the start unless a test takes it away.
  std::optional<FakeTaskbar> taskbar{std::in_place};
};

TEST_F(TrayTest, HiddenStartNeverShowsTheWindowAndAddsTheStatusIcon) {
  HWND main = Start(L"[Option]\r\nMinimized=1\r\nStatus=1\r\n");
  ASSERT_NE(main, nullptr);
  for (int i = 0; i < 20; ++i) {
    ASSERT_FALSE(IsWindowVisible(main)) << "visible at " << i * 50 << " ms";
    Sleep(50);
  }
  ASSERT_TRUE(WaitUntil([&] { return !taskbar->Requests().empty(); }));
  const TrayRequest add = taskbar->Requests().front();
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
  ASSERT_TRUE(WaitUntil([&] { return !taskbar->Requests().empty(); }));
  EXPECT_EQ(taskbar->Requests().front().action, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(IconShownBy(taskbar->Requests().front()), 134) << "monitoring running";

  PostMessageW(main, kTrayNotify, 12, WM_LBUTTONDBLCLK);
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(main)) << "a double click itself does nothing";
  PostMessageW(main, kTrayNotify, 12, WM_LBUTTONUP);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  ASSERT_TRUE(WaitUntil([&] { return taskbar->Requests().back().action == NIM_DELETE; }));

  RequestClose(main);
  ASSERT_TRUE(savrin->WaitForExit(15000));
  EXPECT_EQ(Saved(L"Option", L"Minimized"), L"0");
}

TEST_F(TrayTest, WithoutATaskbarMinimiseStillHidesAndTheNextTaskbarShowsTheStoppedIcon) {
  taskbar.reset();
  // Wine's own taskbar window, where there is one, has no notification area
  // child: to the program that is no taskbar.
  HWND platformTaskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  ASSERT_TRUE(platformTaskbar == nullptr || FindWindowExW(platformTaskbar, nullptr, L"TrayNotifyWnd", nullptr) == nullptr)
      << "this case needs a desktop without a notification area";
  HWND main = Start();  // a first start: no settings file, so monitoring starts stopped
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));

  taskbar.emplace();
  PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !taskbar->Requests().empty(); }));
  EXPECT_EQ(taskbar->Requests().front().action, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(IconShownBy(taskbar->Requests().front()), 132) << "monitoring stopped";
  EXPECT_FALSE(IsWindowVisible(main));

  PostMessageW(main, kTrayNotify, 12, WM_LBUTTONUP);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  ASSERT_TRUE(WaitUntil([&] { return taskbar->Requests().back().action == NIM_DELETE; }));
}

TEST_F(TrayTest, ToggleTwiceReturnsEverythingAndShowsEachStatusIcon) {
  HWND main = Start(L"[Option]\r\nStatus=0\r\nMinimized=1\r\n");
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !taskbar->Requests().empty(); }));
  taskbar->Clear();

  PostMessageW(main, WM_COMMAND, 32778, 0);
  ASSERT_TRUE(WaitUntil([&] { return Saved(L"Option", L"Status") == L"1"; }));
  EXPECT_TRUE(IsChecked(Item(main, 1019)));
  EXPECT_EQ(Saved(L"Option", L"Minimized"), L"1");
  PostMessageW(main, WM_COMMAND, 32778, 0);
  ASSERT_TRUE(WaitUntil([&] { return Saved(L"Option", L"Status") == L"0"; }));
  EXPECT_FALSE(IsChecked(Item(main, 1019)));

  const std::vector<TrayRequest> requests = taskbar->Requests();
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[0].action, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(IconShownBy(requests[0]), 132);
  EXPECT_EQ(IconShownBy(requests[1]), 134);
}

TEST_F(TrayTest, ExitFromTheTrayWhileHiddenEndsAtOnceAndTheNextStartIsHidden) {
  HWND main = Start(L"[Option]\r\nMinimized=0\r\n");
  ASSERT_NE(main, nullptr);
  RECT shown{};
  GetWindowRect(main, &shown);
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));

  // The About box of the tray menu opens while the window stays hidden.
  PostMessageW(main, WM_COMMAND, 32774, 0);
  HWND about = savrin->WaitForOtherDialog();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(WindowText(about), L"Savrinのﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_TRUE(IsWindowVisible(about));
  EXPECT_FALSE(IsWindowVisible(main));
  AnswerMessageBox(about, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

  PostMessageW(main, WM_COMMAND, 32777, 0);
  ASSERT_TRUE(savrin->WaitForExit(15000));
  EXPECT_EQ(Saved(L"Option", L"Minimized"), L"1");
  // The rectangle saved is where the window last stood, not the minimised one.
  EXPECT_EQ(Saved(L"Option", L"Left"), std::to_wstring(shown.left));
  EXPECT_EQ(Saved(L"Option", L"Top"), std::to_wstring(shown.top));
  EXPECT_EQ(Saved(L"Option", L"Right"), std::to_wstring(shown.right));
  EXPECT_EQ(Saved(L"Option", L"Bottom"), std::to_wstring(shown.bottom));
  main = Start();
  ASSERT_NE(main, nullptr);
  Sleep(500);
  EXPECT_FALSE(IsWindowVisible(main));
}

TEST_F(TrayTest, TaskbarCreatedWhileShownAddsTheIconAndALeftClickTakesItAway) {
  HWND main = Start(L"[Option]\r\nStatus=0\r\n");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !taskbar->Requests().empty(); }));
  EXPECT_EQ(taskbar->Requests().front().action, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(IconShownBy(taskbar->Requests().front()), 134);
  EXPECT_TRUE(IsWindowVisible(main));

  // Another window has the front; the click brings the program's back.
  HWND elsewhere = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(elsewhere);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == elsewhere; }, 3000));
  PostMessageW(main, kTrayNotify, 12, WM_LBUTTONUP);
  ASSERT_TRUE(WaitUntil([&] { return taskbar->Requests().back().action == NIM_DELETE; }));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, 3000));
  EXPECT_TRUE(IsWindowVisible(main));
  DestroyWindow(elsewhere);
}

// Wine keeps an open menu's items in the process that owns it, so the check
// mark is read from the screen: the same menu with and without it.
TEST_F(TrayTest, RightClickOpensTheMenuWhoseCheckMarkFollowsTheBoxAndWhoseCommandsReachTheWindow) {
  HWND main = Start(L"[Option]\r\nStatus=1\r\nMinimized=1\r\n");
  ASSERT_NE(main, nullptr);
  const auto openMenu = [&] {
    PostMessageW(main, kTrayNotify, 12, WM_RBUTTONUP);
    HWND menu = nullptr;
    EXPECT_TRUE(WaitUntil([&] {
      menu = FindWindowW(L"#32768", nullptr);
      return menu != nullptr && IsWindowVisible(menu);
    }));
    Sleep(300);  // painted
    return menu;
  };
  HWND menu = openMenu();
  ASSERT_NE(menu, nullptr);
  const int darkWhileStopped = DarkPixels(menu);
  SendKeyChord({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));

  // The box, not the saved state, decides: the click is not saved.
  PostMessageW(Item(main, 1019), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsChecked(Item(main, 1019)); }));
  SaveCounter saves(folder);
  menu = openMenu();
  ASSERT_NE(menu, nullptr);
  const int darkWhileRunning = DarkPixels(menu);
  EXPECT_GT(darkWhileStopped, darkWhileRunning + 10) << "the check mark shows only while the box is ticked";

  // The third item toggles monitoring from the box's state: Down moves over
  // the separators.
  SendKeyChord({VK_DOWN});
  SendKeyChord({VK_DOWN});
  SendKeyChord({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return IsChecked(Item(main, 1019)) != FALSE; }));
  EXPECT_GE(saves.Saves(), 1);
  EXPECT_EQ(Saved(L"Option", L"Status"), L"1");
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
