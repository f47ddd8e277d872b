#include "tests/e2e/harness.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace savrin::e2e {
namespace {

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

// Through \\?\ so that names Win32's path rules would alter ("report.") go too.
void RemoveTree(const std::wstring& given) {
  const std::wstring path = given.rfind(L"\\\\?\\", 0) == 0 ? given : L"\\\\?\\" + given;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

// Memory in another process for the list-view messages, whose pointers the
// system does not carry across processes.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_ == nullptr) throw std::runtime_error("OpenProcess failed");
    address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (address_ == nullptr) throw std::runtime_error("VirtualAllocEx failed");
  }
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  char* Address() const { return static_cast<char*>(address_); }
  void Write(size_t offset, const void* data, size_t size) {
    WriteProcessMemory(process_, Address() + offset, data, size, nullptr);
  }
  void Read(size_t offset, void* data, size_t size) const {
    ReadProcessMemory(process_, Address() + offset, data, size, nullptr);
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  size_t size_;
};

constexpr size_t kTextChars = 1024;

}  // namespace

std::wstring DriverFolder() { return ModuleFolder(); }

SaveCounter::SaveCounter(const TestFolder& folder, const std::wstring& name) : name_(name) {
  folder_ = CreateFileW(folder.Path().c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  if (folder_ == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot watch the test folder");
  stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(
      nullptr, 0,
      [](void* self) -> DWORD {
        static_cast<SaveCounter*>(self)->Watch();
        return 0;
      },
      this, 0, nullptr);
  Sleep(100);  // the first read is posted before anything can save
}

SaveCounter::~SaveCounter() {
  SetEvent(stop_);
  WaitForSingleObject(thread_, 5000);
  CloseHandle(thread_);
  CloseHandle(stop_);
  CloseHandle(folder_);
}

int SaveCounter::Saves() const {
  Sleep(300);
  return static_cast<int>(saves_);
}

void SaveCounter::Watch() {
  alignas(DWORD) char buffer[16384];
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  for (;;) {
    ResetEvent(overlapped.hEvent);
    if (!ReadDirectoryChangesW(folder_, buffer, sizeof buffer, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr,
                               &overlapped, nullptr)) {
      break;
    }
    const HANDLE waits[] = {overlapped.hEvent, stop_};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
      CancelIo(folder_);
      break;
    }
    DWORD got = 0;
    if (!GetOverlappedResult(folder_, &overlapped, &got, FALSE)) break;
    for (DWORD offset = 0; got != 0;) {
      const auto* notice = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + offset);
      const std::wstring name(notice->FileName, notice->FileNameLength / sizeof(wchar_t));
      if (notice->Action == FILE_ACTION_RENAMED_NEW_NAME && _wcsicmp(name.c_str(), name_.c_str()) == 0) {
        InterlockedIncrement(&saves_);
      }
      if (notice->NextEntryOffset == 0) break;
      offset += notice->NextEntryOffset;
    }
  }
  CloseHandle(overlapped.hEvent);
}

TestFolder::TestFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::wstring(temp) + L"savrin-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter);
    if (CreateDirectoryW(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create test folder");
  }
}

TestFolder::~TestFolder() { RemoveTree(path_); }

bool TestFolder::Exists(const std::wstring& name) const {
  return GetFileAttributesW(Join(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string TestFolder::ReadBytes(const std::wstring& name) const {
  std::ifstream file(std::filesystem::path(Join(name)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void TestFolder::WriteBytes(const std::wstring& name, const std::string& bytes) const {
  std::ofstream file(std::filesystem::path(Join(name)), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::unique_ptr<SavrinProcess> SavrinProcess::Start(const TestFolder& folder, const std::wstring& exeName) {
  const std::wstring source = DriverFolder() + L"\\Savrin.exe";
  const std::wstring target = folder.Join(exeName);
  if (!CopyFileW(source.c_str(), target.c_str(), FALSE)) throw std::runtime_error("cannot copy Savrin.exe");

  std::wstring commandLine = L"\"" + target + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(target.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.Path().c_str(), &startup, &info)) {
    throw std::runtime_error("cannot start Savrin.exe");
  }
  CloseHandle(info.hThread);
  return std::unique_ptr<SavrinProcess>(new SavrinProcess(info.hProcess, info.dwProcessId));
}

SavrinProcess::~SavrinProcess() {
  if (!HasExited()) {
    TerminateProcess(process_, 1);
    WaitForExit(5000);
  }
  CloseHandle(process_);
}

bool SavrinProcess::WaitForExit(DWORD milliseconds) const {
  return WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

std::vector<HWND> SavrinProcess::TopLevelWindows() const {
  struct Search {
    DWORD id;
    std::vector<HWND> found;
  } search{id_, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->id) s->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND SavrinProcess::WaitForMainWindow(DWORD milliseconds) const {
  // The dialog exists before its last controls do: wait until start-up is
  // over and the program waits for input.
  WaitForInputIdle(process_, milliseconds);
  HWND main = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows()) {
          if (ClassName(window) == L"#32770" && GetDlgItem(window, 1000) != nullptr) main = window;
        }
        return main != nullptr;
      },
      milliseconds);
  return main;
}

HWND SavrinProcess::WaitForOtherDialog(DWORD milliseconds) const {
  HWND other = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopLevelWindows()) {
          if (ClassName(window) == L"#32770" && GetDlgItem(window, 1000) == nullptr && IsWindowVisible(window)) {
            other = window;
          }
        }
        return other != nullptr;
      },
      milliseconds);
  return other;
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT rather than GetWindowTextW: the latter does not ask a window
  // of another process for its text, so it misses control texts.
  std::wstring text(kTextChars, L'\0');
  const LRESULT length = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::vector<HWND> DirectChildren(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

std::vector<std::wstring> ComboEntries(HWND combo) {
  std::vector<std::wstring> entries;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(kTextChars, L'\0');
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
    entries.push_back(text);
  }
  return entries;
}

int ComboSelection(HWND combo) { return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)); }

bool IsChecked(HWND button) { return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

int ListColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
  return static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
}

int ListColumnWidth(HWND list, int column) {
  return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

std::wstring ListColumnTitle(HWND list, int column) {
  RemoteBuffer remote(list, sizeof(LVCOLUMNW) + kTextChars * sizeof(wchar_t));
  LVCOLUMNW info{};
  info.mask = LVCF_TEXT;
  info.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(LVCOLUMNW));
  info.cchTextMax = static_cast<int>(kTextChars);
  remote.Write(0, &info, sizeof info);
  if (!SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(remote.Address()))) {
    return {};
  }
  std::wstring text(kTextChars, L'\0');
  remote.Read(sizeof(LVCOLUMNW), text.data(), kTextChars * sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), kTextChars));
  return text;
}

int ListRowCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring ListCell(HWND list, int row, int column) {
  RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(LVITEMW));
  item.cchTextMax = static_cast<int>(kTextChars);
  remote.Write(0, &item, sizeof item);
  const LRESULT length =
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.Address()));
  std::wstring text(kTextChars, L'\0');
  remote.Read(sizeof(LVITEMW), text.data(), kTextChars * sizeof(wchar_t));
  text.resize(std::min<size_t>(static_cast<size_t>(length > 0 ? length : 0), kTextChars));
  return text;
}

std::vector<int> ListSelectedRows(HWND list) {
  std::vector<int> rows;
  for (LRESULT row = -1; (row = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED)) != -1;) {
    rows.push_back(static_cast<int>(row));
  }
  return rows;
}

int ProgressPosition(HWND bar) { return static_cast<int>(SendMessageW(bar, PBM_GETPOS, 0, 0)); }
int ProgressHigh(HWND bar) { return static_cast<int>(SendMessageW(bar, PBM_GETRANGE, FALSE, 0)); }

ToolTipTool ReadToolTipTool(HWND tip, int index) {
  RemoteBuffer remote(tip, sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t));
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  remote.Write(0, &info, sizeof info);
  ToolTipTool tool;
  if (!SendMessageW(tip, TTM_ENUMTOOLSW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.Address()))) {
    return tool;
  }
  remote.Read(0, &info, sizeof info);
  tool.id = info.uId;
  // Ask for the text with the tool's identity and a buffer in the program's memory.
  info.lpszText = reinterpret_cast<wchar_t*>(remote.Address() + sizeof(TTTOOLINFOW));
  remote.Write(0, &info, sizeof info);
  SendMessageW(tip, TTM_GETTEXTW, kTextChars, reinterpret_cast<LPARAM>(remote.Address()));
  std::wstring text(kTextChars, L'\0');
  remote.Read(sizeof(TTTOOLINFOW), text.data(), kTextChars * sizeof(wchar_t));
  text.resize(wcsnlen(text.c_str(), kTextChars));
  tool.text = text;
  return tool;
}

void SetText(HWND control, const std::wstring& text) {
  SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SelectComboEntry(HWND dialog, int id, int index) {
  HWND combo = GetDlgItem(dialog, id);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Click(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressKey(HWND control, UINT virtualKey) {
  const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  PostMessageW(control, WM_KEYDOWN, virtualKey, 1 | (scanCode << 16));
  PostMessageW(control, WM_KEYUP, virtualKey, 1 | (scanCode << 16) | 0xC0000000u);
}

void RequestClose(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

}  // namespace savrin::e2e
