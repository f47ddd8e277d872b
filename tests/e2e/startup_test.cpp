// Start-up, the main window's template, single instance, and the ways out.
#include "tests/e2e/harness.h"
#include "tests/e2e/settings_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>

namespace savrin::e2e {
namespace {

struct TemplateControl {
  int id;
  const wchar_t* className;
  const wchar_t* text;
  RECT units;  // x, y, width, height in dialog units
};

// The main window's children in tab order, as the user must find them.
const TemplateControl kMainTemplate[] = {
    {1007, L"Button", L"ファイル監視フォルダ(&K)", {10, 170, 75, 15}},
    {1001, L"Edit", nullptr, {90, 172, 245, 12}},
    {1008, L"Button", L"振り分け先フォルダ(&F)", {10, 188, 75, 15}},
    {1002, L"Edit", nullptr, {90, 190, 245, 12}},
    {1011, L"ComboBox", L"", {55, 208, 130, 220}},
    {1014, L"Button", L"ファイル条件追加(&T)", {190, 207, 70, 15}},
    {1015, L"Button", L"ファイル条件削除(&S)", {265, 207, 70, 15}},
    {1004, L"ComboBox", nullptr, {85, 226, 35, 155}},
    {1009, L"ComboBox", nullptr, {190, 226, 40, 200}},
    {1003, L"Button", L"追加(&A)", {10, 260, 40, 15}},
    {1006, L"Button", L"変更(&M)", {55, 260, 40, 15}},
    {1005, L"Button", L"削除(&L)", {100, 260, 40, 15}},
    {1012, L"Button", L"↑(&U)", {145, 260, 20, 15}},
    {1013, L"Button", L"↓(&D)", {167, 260, 20, 15}},
    {1018, L"Edit", nullptr, {235, 261, 25, 12}},
    {1020, L"msctls_updown32", L"", {260, 259, 9, 15}},
    {1019, L"Button", L"監視停止(&R)", {285, 260, 50, 15}},
    {1000, L"SysListView32", L"", {5, 5, 335, 150}},
    {-1, L"Static", L"ファイルの振り分け方法", {10, 225, 70, 15}},
    {-1, L"Static", L"同名ファイルの処理", {125, 225, 60, 15}},
    {-1, L"Static", L"ファイル条件", {10, 208, 40, 13}},
    {-1, L"Button", L"アイテム編集", {5, 250, 185, 30}},
    {-1, L"Button", L"アイテム設定", {5, 160, 335, 85}},
    {-1, L"Button", L"オプション", {195, 250, 145, 30}},
    {-1, L"Static", L"監視間隔", {200, 260, 30, 15}},
    {-1, L"Static", L"秒", {272, 260, 10, 15}},
    {1021, L"msctls_progress32", L"", {270, 226, 66, 11}},
    {-1, L"Static", L"監視状況", {235, 225, 30, 15}},
};

LONG Style(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

// Dialog units to pixels as the dialog manager converts them: MulDiv(v, base
// width, 4) across and MulDiv(v, base height, 8) down. MapDialogRect does not
// work on another process's window, so the base units are recovered from the
// client area, which the template makes 343 x 285 units.
class DialogUnits {
 public:
  explicit DialogUnits(HWND dialog) {
    RECT client{};
    GetClientRect(dialog, &client);
    for (int unit = 1; unit < 100; ++unit) {
      if (MulDiv(343, unit, 4) == client.right) baseWidth_ = unit;
      if (MulDiv(285, unit, 8) == client.bottom) baseHeight_ = unit;
    }
  }
  bool Known() const { return baseWidth_ > 0 && baseHeight_ > 0; }
  RECT ToPixels(const RECT& units) const {
    // Position and size are converted separately, as the dialog manager does.
    const int left = MulDiv(units.left, baseWidth_, 4);
    const int top = MulDiv(units.top, baseHeight_, 8);
    return {left, top, left + MulDiv(units.right, baseWidth_, 4), top + MulDiv(units.bottom, baseHeight_, 8)};
  }

 private:
  int baseWidth_ = 0;
  int baseHeight_ = 0;
};

class StartupTest : public ::testing::Test {
 protected:
  TestFolder folder;
};

TEST_F(StartupTest, MainWindowShowsEveryControlOfItsTemplateInTabOrder) {
  auto savrin = SavrinProcess::Start(folder);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  EXPECT_EQ(WindowText(main), L"Savrin");

  const DialogUnits units(main);
  ASSERT_TRUE(units.Known()) << "the client area is not 343 x 285 dialog units";
  const std::vector<HWND> children = DirectChildren(main);
  ASSERT_EQ(children.size(), std::size(kMainTemplate));
  for (size_t i = 0; i < children.size(); ++i) {
    const TemplateControl& expected = kMainTemplate[i];
    HWND child = children[i];
    SCOPED_TRACE(testing::Message() << "control #" << i << " id " << expected.id);
    EXPECT_EQ(static_cast<int>(static_cast<short>(GetDlgCtrlID(child))), expected.id);
    EXPECT_EQ(ClassName(child), expected.className);
    if (expected.text != nullptr) {
      EXPECT_EQ(WindowText(child), expected.text);
    }

    const RECT expectedPixels = units.ToPixels(expected.units);
    RECT actual{};
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, expectedPixels.left);
    EXPECT_EQ(actual.top, expectedPixels.top);
    EXPECT_EQ(actual.right, expectedPixels.right);
    // A combo box's template height is that of its open list, not of the box.
    if (std::wstring(expected.className) != L"ComboBox") {
      EXPECT_EQ(actual.bottom, expectedPixels.bottom);
    }
  }
}

TEST_F(StartupTest, WindowAndControlsCarryTheirStyles) {
  auto savrin = SavrinProcess::Start(folder);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);

  const LONG window = Style(main);
  EXPECT_TRUE(window & WS_CAPTION);
  EXPECT_TRUE(window & WS_SYSMENU);
  EXPECT_TRUE(window & WS_MINIMIZEBOX);
  EXPECT_FALSE(window & WS_MAXIMIZEBOX);
  EXPECT_FALSE(window & WS_THICKFRAME) << "the window must not be resizable";
  EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_APPWINDOW);

  EXPECT_EQ(Style(Item(main, 1011)) & 3, CBS_DROPDOWN);
  EXPECT_FALSE(Style(Item(main, 1011)) & (CBS_SORT | CBS_AUTOHSCROLL));
  for (int id : {1004, 1009}) {
    EXPECT_EQ(Style(Item(main, id)) & 3, CBS_DROPDOWNLIST) << id;
    EXPECT_FALSE(Style(Item(main, id)) & CBS_SORT) << id;
  }
  for (int id : {1001, 1002, 1018}) EXPECT_TRUE(Style(Item(main, id)) & ES_AUTOHSCROLL) << id;
  EXPECT_TRUE(Style(Item(main, 1018)) & ES_RIGHT);
  EXPECT_FALSE(Style(Item(main, 1018)) & ES_NUMBER) << "the interval edit takes any characters";
  EXPECT_EQ(Style(Item(main, 1003)) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
  EXPECT_EQ(Style(Item(main, 1019)) & BS_TYPEMASK, BS_AUTOCHECKBOX);
  EXPECT_TRUE(Style(Item(main, 1020)) & UDS_ARROWKEYS);
  EXPECT_TRUE(Style(Item(main, 1021)) & PBS_SMOOTH);

  HWND list = Item(main, 1000);
  EXPECT_EQ(Style(list) & LVS_TYPEMASK, LVS_REPORT);
  EXPECT_TRUE(Style(list) & LVS_SHOWSELALWAYS);
  EXPECT_TRUE(Style(list) & LVS_NOSORTHEADER);
  EXPECT_FALSE(Style(list) & LVS_SINGLESEL) << "several rows must be selectable";
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT | LVS_EX_TWOCLICKACTIVATE);
}

TEST_F(StartupTest, DropDownListsHoldTheirEntriesInOrder) {
  auto savrin = SavrinProcess::Start(folder);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ComboEntries(Item(main, 1004)), (std::vector<std::wstring>{L"移動", L"コピー"}));
  EXPECT_EQ(ComboEntries(Item(main, 1009)), (std::vector<std::wstring>{L"リネーム", L"上書き"}));
  EXPECT_EQ(ComboSelection(Item(main, 1004)), 0);
  EXPECT_EQ(ComboSelection(Item(main, 1009)), 0);
}

TEST_F(StartupTest, RuleListHasThreeColumnsSharingItsWidth) {
  auto savrin = SavrinProcess::Start(folder);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  HWND list = Item(main, 1000);
  ASSERT_EQ(ListColumnCount(list), 3);
  EXPECT_EQ(ListColumnTitle(list, 0), L"ファイル監視フォルダ");
  EXPECT_EQ(ListColumnTitle(list, 1), L"振り分け先フォルダ");
  EXPECT_EQ(ListColumnTitle(list, 2), L"ファイル条件");
  RECT client{};
  GetClientRect(list, &client);
  const int width = client.right;
  EXPECT_EQ(ListColumnWidth(list, 0), 2 * width / 5);
  EXPECT_EQ(ListColumnWidth(list, 1), 2 * width / 5);
  EXPECT_EQ(ListColumnWidth(list, 0) + ListColumnWidth(list, 1) + ListColumnWidth(list, 2), width);
  EXPECT_EQ(ListRowCount(list), 0);
}

TEST_F(StartupTest, SecondCopyEndsAtOnceWithoutAnyWindow) {
  auto first = SavrinProcess::Start(folder);
  HWND main = first->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  // Another program has the front, as when a user starts the program again
  // from a shortcut while working elsewhere.
  HWND elsewhereWindow = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(elsewhereWindow, nullptr);
  SetForegroundWindow(elsewhereWindow);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == elsewhereWindow; }, 3000));

  TestFolder elsewhere;
  auto second = SavrinProcess::Start(elsewhere);
  // Watched while it runs, not after: once it has ended it has no windows anyway.
  std::vector<std::wstring> shown;
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (!second->WaitForExit(0) && GetTickCount64() < deadline) {
    for (HWND window : second->TopLevelWindows()) {
      if (IsWindowVisible(window)) shown.push_back(ClassName(window) + L" " + WindowText(window));
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(2);
  }
  ASSERT_TRUE(second->WaitForExit(0)) << "a second copy must end by itself";
  EXPECT_TRUE(shown.empty()) << "the second copy showed a window";
  EXPECT_FALSE(first->HasExited());
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_NE(GetForegroundWindow(), main) << "the first copy is left where it was, not brought to the front";
  DestroyWindow(elsewhereWindow);
}

TEST_F(StartupTest, AnotherObjectHoldingTheMutexNameGivesCannotCreateMutex) {
  // An event of the same name makes CreateMutexW fail outright (not
  // ERROR_ALREADY_EXISTS), the one way to reach that message from outside.
  HANDLE squatter = CreateEventW(nullptr, TRUE, FALSE, L"Savrin Exclusive Mutex");
  ASSERT_NE(squatter, nullptr);

  auto savrin = SavrinProcess::Start(folder, L"Sorter.exe");
  HWND box = savrin->WaitForOtherDialog();
  ASSERT_NE(box, nullptr);
  const MessageBoxView view = ReadMessageBox(box);
  EXPECT_EQ(view.caption, L"Sorter") << "the caption is the executable's name without extension";
  EXPECT_EQ(view.text, L"Cannot create Mutex");
  EXPECT_EQ(view.buttons, std::vector<int>{IDOK});
  EXPECT_EQ(view.icon, BoxIcon::Warning);
  EXPECT_EQ(savrin->WaitForMainWindow(500), nullptr);

  AnswerMessageBox(box, IDOK);
  EXPECT_TRUE(savrin->WaitForExit(10000));
  EXPECT_EQ(savrin->WaitForMainWindow(0), nullptr);
  CloseHandle(squatter);
}

TEST_F(StartupTest, CloseRequestEndsTheProcess) {
  auto savrin = SavrinProcess::Start(folder);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  SaveCounter saves(folder);
  RequestClose(main);
  EXPECT_TRUE(savrin->WaitForExit(10000));
  EXPECT_EQ(saves.Saves(), 2) << "an idle close saves, and the window's destruction saves again";
}

TEST_F(StartupTest, EscapeInTheWindowEndsTheProcess) {
  auto savrin = SavrinProcess::Start(folder);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  // Escape goes to the focused control; the window's own keyboard handling
  // turns it into the cancel command.
  PressKey(Item(main, 1007), VK_ESCAPE);
  EXPECT_TRUE(savrin->WaitForExit(10000));
}

// The executable as Windows' loader reads it: the header's hardening flags,
// and the DLLs it imports, which the loader resolves before any code of the
// program runs and so before the program can restrict where DLLs come from.
TEST(ExecutableTest, IsHardenedAndImportsOnlyDllsTheSystemFolderAlwaysProvides) {
  std::ifstream file(std::filesystem::path(DriverFolder() + L"\\Savrin.exe"), std::ios::binary);
  const std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto at = [&](size_t offset, size_t size) {
    if (offset + size > image.size()) throw std::out_of_range("past the end of Savrin.exe");
    return image.data() + offset;
  };
  IMAGE_DOS_HEADER dos{};
  std::memcpy(&dos, at(0, sizeof dos), sizeof dos);
  IMAGE_NT_HEADERS64 nt{};
  std::memcpy(&nt, at(static_cast<size_t>(dos.e_lfanew), sizeof nt), sizeof nt);
  ASSERT_EQ(nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR64_MAGIC);
  const WORD flags = nt.OptionalHeader.DllCharacteristics;
  EXPECT_TRUE(flags & 0x0040) << "DYNAMIC_BASE: loaded at a random address";
  EXPECT_TRUE(flags & 0x0020) << "HIGH_ENTROPY_VA: anywhere in the 64-bit space";
  EXPECT_TRUE(flags & 0x0100) << "NX_COMPAT: no code runs from data pages";
  EXPECT_GT(nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC].Size, 0u)
      << "without relocations a random base cannot be taken";

  // Addresses inside the image to offsets in the file, through the section table.
  const size_t sections = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
                          nt.FileHeader.SizeOfOptionalHeader;
  const auto fileOffset = [&](DWORD address) -> size_t {
    for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
      IMAGE_SECTION_HEADER section{};
      std::memcpy(&section, at(sections + i * sizeof section, sizeof section), sizeof section);
      if (address >= section.VirtualAddress && address < section.VirtualAddress + section.SizeOfRawData) {
        return address - section.VirtualAddress + section.PointerToRawData;
      }
    }
    throw std::out_of_range("an address outside every section");
  };
  // KnownDLLs on every Windows from 7 on, always mapped from the system
  // folder; ntdll, which is in every process before the program; and the
  // common controls, which the manifest takes from the side-by-side store.
  const std::set<std::string> systemFolderOnly = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll",
                                                  "shell32.dll",  "ole32.dll",  "oleaut32.dll", "shlwapi.dll",
                                                  "msvcrt.dll",   "ntdll.dll",  "comctl32.dll"};
  std::set<std::string> imports;
  for (size_t descriptor = fileOffset(nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);;
       descriptor += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR entry{};
    std::memcpy(&entry, at(descriptor, sizeof entry), sizeof entry);
    if (entry.Name == 0) break;
    std::string name(at(fileOffset(entry.Name), 1));
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    imports.insert(name);
    EXPECT_EQ(systemFolderOnly.count(name), 1u) << name << " would be looked for beside the program first";
  }
  EXPECT_EQ(imports.count("kernel32.dll"), 1u) << "the import table was not read";
}

// DLLs that are no KnownDLLs, so that Windows looks for them in a program's
// folder first, each planted beside the program: the program's former
// import and its dependency, the DLLs the crypto provider needs that the
// stack protector's start-up code asks for its canary, and those the
// system's DLLs load for the window, the common controls and the picker.
const wchar_t* const kPlantedDlls[] = {L"winmm",   L"msacm32", L"bcrypt",  L"crypt32",
                                       L"version", L"uxtheme", L"msimg32"};
// Wine runs the last three whatever the program does, so it keeps its own:
// its user32 imports version.dll and loads uxtheme.dll before any code of
// the program runs, and its DLLs' delayed imports (uxtheme's of msimg32)
// ignore the program's restriction of the search, as Windows' do not.
const wchar_t* const kPreferredPlantedDlls[] = {L"winmm", L"msacm32", L"bcrypt", L"crypt32"};

// Wine prefers its built-in DLLs; told to prefer native ones for a program,
// it searches the program's folder first, as Windows does for DLLs that are
// no KnownDLLs. Told through the registry, since WINEDLLOVERRIDES reaches a
// program only from the Unix environment, not from its parent's.
class WinePrefersNativeDlls {
 public:
  explicit WinePrefersNativeDlls(const std::wstring& exeName) : key_(L"Software\\Wine\\AppDefaults\\" + exeName) {
    HKEY overrides = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (key_ + L"\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                    &overrides, nullptr);
    for (const wchar_t* name : kPreferredPlantedDlls) {
      static constexpr wchar_t kNativeFirst[] = L"native,builtin";
      RegSetValueExW(overrides, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(kNativeFirst), sizeof kNativeFirst);
    }
    RegCloseKey(overrides);
  }
  ~WinePrefersNativeDlls() { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }

 private:
  std::wstring key_;
};

TEST_F(StartupTest, NoDllPlantedBesideTheProgramRuns) {
  for (const wchar_t* name : kPlantedDlls) {
    ASSERT_TRUE(CopyFileW((DriverFolder() + L"\\planted.dll").c_str(), folder.Join(name + std::wstring(L".dll")).c_str(),
                          FALSE));
  }
  const WinePrefersNativeDlls preferPlanted(L"Planted.exe");
  CreateDirectoryW(folder.Join(L"in").c_str(), nullptr);
  folder.WriteBytes(L"in\\scan.pdf", "pdf");
  folder.WriteBytes(L"Planted.ini", Utf16FileBytes(L"[Source]\r\n0=" + folder.Join(L"in") + L"\r\n[Destination]\r\n0=" +
                                                   folder.Join(L"out") + L"\r\n[Pattern]\r\n0=*.pdf\r\n[Condition]\r\n0=1\r\n"
                                                   L"[Option]\r\nStatus=1\r\nTime=60\r\n"));

  // Every step is tried, however the one before went: a planted DLL that
  // ran may have broken any of them, and the marks tell which one ran.
  auto savrin = SavrinProcess::Start(folder, L"Planted.exe");
  HWND main = savrin->WaitForMainWindow();
  EXPECT_NE(main, nullptr) << "the program did not start";
  Click(main, 1007);
  HWND picker = savrin->WaitForOtherDialog();
  EXPECT_NE(picker, nullptr) << "no folder picker";
  AnswerMessageBox(picker, IDCANCEL);
  constexpr UINT kOrganizeNow = 32773;
  PostMessageW(main, WM_COMMAND, kOrganizeNow, 0);
  EXPECT_TRUE(WaitUntil([&] { return folder.Exists(L"out\\scan.pdf"); })) << "no pass ran";
  RequestClose(main);
  EXPECT_TRUE(savrin->WaitForExit(10000));
  for (const wchar_t* name : kPlantedDlls) {
    EXPECT_FALSE(folder.Exists(name + std::wstring(L".dll.ran"))) << "the planted " << name << ".dll ran";
  }
}

TEST_F(StartupTest, ScreenshotOfTheMainWindow) {
  // A few rules and a remembered condition, as a user's window looks.
  folder.WriteBytes(L"Savrin.ini", Utf16FileBytes(
      L"[Source]\r\n0=C:\\Users\\user\\Downloads\r\n1=C:\\Users\\user\\Desktop\r\n2=D:\\スキャン\r\n"
      L"[Destination]\r\n0=D:\\書類\\PDF\r\n1=D:\\写真\r\n2=D:\\書類\\スキャン済み\r\n"
      L"[Pattern]\r\n0=*.pdf\r\n1=*.jpg\r\n2=scan????.tif\r\n"
      L"[Condition]\r\n0=65793\r\n1=1\r\n2=1\r\n"
      L"[FilenamePattern]\r\n0=*.pdf\r\n1=*.jpg\r\n[Option]\r\nTime=60\r\nStatus=0\r\n"));
  auto savrin = SavrinProcess::Start(folder);
  HWND main = savrin->WaitForMainWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }));
  SetCursorPos(0, 0);  // no tip over the form
  Sleep(500);          // let every control paint
  const std::wstring path = DriverFolder() + L"\\main-window.bmp";
  ASSERT_TRUE(SaveScreenshot(main, path));

  // The picture is the window, whole, with what it shows in it: as large as
  // the window and of many colours, where a blank or misplaced capture has few.
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  ASSERT_GE(bytes.size(), sizeof file + sizeof info);
  std::memcpy(&file, bytes.data(), sizeof file);
  std::memcpy(&info, bytes.data() + sizeof file, sizeof info);
  RECT area{};
  GetWindowRect(main, &area);
  EXPECT_EQ(info.biWidth, area.right - area.left);
  EXPECT_EQ(info.biHeight, area.bottom - area.top);
  const size_t rowBytes = (static_cast<size_t>(info.biWidth) * 3 + 3) & ~size_t{3};
  ASSERT_EQ(bytes.size(), file.bfOffBits + rowBytes * static_cast<size_t>(info.biHeight));
  std::set<uint32_t> colours;
  for (int y = 0; y < info.biHeight; ++y) {
    const unsigned char* row = reinterpret_cast<const unsigned char*>(bytes.data()) + file.bfOffBits + rowBytes * y;
    for (int x = 0; x < info.biWidth; ++x) colours.insert(row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16));
  }
  EXPECT_GE(colours.size(), 16u) << "a blank capture";
}

}  // namespace
}  // namespace savrin::e2e
