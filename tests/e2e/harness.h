#pragma once
// Drives a real Savrin.exe from outside, as a user would: through window
// messages to its windows and controls, and through the files it leaves.
#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace savrin::e2e {

// Folder that holds this driver, and so the Savrin.exe built beside it.
std::wstring DriverFolder();

// A new empty folder under the temporary folder, removed with its contents.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring Join(const std::wstring& name) const { return path_ + L"\\" + name; }
  bool Exists(const std::wstring& name) const;
  std::string ReadBytes(const std::wstring& name) const;
  void WriteBytes(const std::wstring& name, const std::string& bytes) const;

 private:
  std::wstring path_;
};

// Counts the saves of the settings file as they happen: each save renames a
// finished file onto the name, which the folder reports as one rename.
class SaveCounter {
 public:
  explicit SaveCounter(const TestFolder& folder, const std::wstring& name = L"Savrin.ini");
  ~SaveCounter();
  SaveCounter(const SaveCounter&) = delete;
  SaveCounter& operator=(const SaveCounter&) = delete;
  // The saves seen so far; waits a moment for reports still on their way.
  int Saves() const;

 private:
  void Watch();
  HANDLE folder_ = INVALID_HANDLE_VALUE;
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
  std::wstring name_;
  volatile LONG saves_ = 0;
};

// One running copy of Savrin.exe, started from a copy of the executable in a
// test folder. A copy still running when this goes away is terminated.
class SavrinProcess {
 public:
  static std::unique_ptr<SavrinProcess> Start(const TestFolder& folder,
                                              const std::wstring& exeName = L"Savrin.exe");
  ~SavrinProcess();

  DWORD Id() const { return id_; }
  bool WaitForExit(DWORD milliseconds) const;
  bool HasExited() const { return WaitForExit(0); }

  // The main window (the top-level dialog that holds the rule list), visible
  // or not; nullptr when none appears in time.
  HWND WaitForMainWindow(DWORD milliseconds = 15000) const;
  // A top-level dialog of this process other than the main window, such as
  // a message box; nullptr when none appears in time.
  HWND WaitForOtherDialog(DWORD milliseconds = 15000) const;
  std::vector<HWND> TopLevelWindows() const;

 private:
  SavrinProcess(HANDLE process, DWORD id) : process_(process), id_(id) {}
  HANDLE process_;
  DWORD id_;
};

// Reading windows and controls.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
HWND Item(HWND dialog, int id);
std::vector<HWND> DirectChildren(HWND window);
std::vector<std::wstring> ComboEntries(HWND combo);
int ComboSelection(HWND combo);
bool IsChecked(HWND button);
int ListColumnCount(HWND list);
int ListColumnWidth(HWND list, int column);
std::wstring ListColumnTitle(HWND list, int column);
int ListRowCount(HWND list);
std::wstring ListCell(HWND list, int row, int column);
std::vector<int> ListSelectedRows(HWND list);
// The progress bar's position and the high end of its range.
int ProgressPosition(HWND bar);
int ProgressHigh(HWND bar);
struct ToolTipTool {
  UINT_PTR id = 0;  // the control window for tools registered by window
  std::wstring text;
};
ToolTipTool ReadToolTipTool(HWND tip, int index);

// Acting on them. Clicks are posted, so that a message box the click opens
// does not block the driver.
void SetText(HWND control, const std::wstring& text);
// Selects a drop-down entry and tells the window, as a user's choice does.
void SelectComboEntry(HWND dialog, int id, int index);
void Click(HWND dialog, int id);
void PressKey(HWND control, UINT virtualKey);
void RequestClose(HWND window);

// A message box as the user sees it.
enum class BoxIcon { None, Warning, Error, Information, Question, Unknown };
struct MessageBoxView {
  std::wstring caption;
  std::wstring text;
  std::vector<int> buttons;  // IDOK, IDCANCEL, IDYES, IDNO... present in the box
  BoxIcon icon = BoxIcon::None;
};
MessageBoxView ReadMessageBox(HWND box);
void AnswerMessageBox(HWND box, int buttonId);

// Writes what the screen shows of the window as a 24-bit BMP file.
bool SaveScreenshot(HWND window, const std::wstring& bmpPath);
// The pixels of a visible window, as the screen shows them, that are dark
// (text, check marks), counted in the strip of the given width along its
// left edge, or over the whole window when the width is 0.
int DarkPixels(HWND window, int leftStripWidth = 0);

// Polls until the condition holds or the time runs out; returns the last result.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD milliseconds = 10000) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}

}  // namespace savrin::e2e

namespace savrin::e2e {

// Real input, through the system's input queue, for what window messages
// cannot fake: held modifier keys (the program asks GetAsyncKeyState), the
// dialog's own keyboard handling, and mouse clicks on list rows.
void FocusControl(HWND control);
void SendKeyChord(std::initializer_list<WORD> keys);  // pressed in order, released in reverse
void ClickScreenPoint(POINT point);
void MoveMouseTo(POINT point);  // a real move, as the tooltips see it
POINT ListRowCentre(HWND list, int row);

}  // namespace savrin::e2e
