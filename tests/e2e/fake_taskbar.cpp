#include "tests/e2e/fake_taskbar.h"

#include <cstring>

#include "tests/e2e/harness.h"

namespace savrin::e2e {
namespace {

// The platform-independent form in which Wine's shell passes a tray request
// to the taskbar (WM_COPYDATA, dwData = the action), followed by the icon's
// mask bits (1 bit a pixel, rows of whole words) and then its colour bits.
struct NotifyData {
  LONG hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  WCHAR szTip[128];
  DWORD dwState;
  DWORD dwStateMask;
  WCHAR szInfo[256];
  UINT uTimeoutOrVersion;
  WCHAR szInfoTitle[64];
  DWORD dwInfoFlags;
  GUID guidItem;
  UINT width;
  UINT height;
  UINT planes;
  UINT bpp;
};

FakeTaskbar* g_taskbar = nullptr;

}  // namespace

FakeTaskbar::FakeTaskbar() {
  g_taskbar = this;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, ready] {
    WNDCLASSW tray{};
    tray.lpfnWndProc = &FakeTaskbar::WindowProc;
    tray.hInstance = GetModuleHandleW(nullptr);
    tray.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&tray);
    WNDCLASSW notify = tray;
    notify.lpfnWndProc = DefWindowProcW;
    notify.lpszClassName = L"TrayNotifyWnd";
    RegisterClassW(&notify);
    // Topmost, so that a search by class finds it before the platform's.
    window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", nullptr, WS_POPUP, 0, 0, 1, 1,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    CreateWindowExW(0, L"TrayNotifyWnd", nullptr, WS_CHILD, 0, 0, 1, 1, window_, nullptr,
                    GetModuleHandleW(nullptr), nullptr);
    SetEvent(ready);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  });
  WaitForSingleObject(ready, 10000);
  CloseHandle(ready);
}

FakeTaskbar::~FakeTaskbar() {
  PostMessageW(window_, WM_CLOSE, 0, 0);
  thread_.join();
  g_taskbar = nullptr;
}

LRESULT CALLBACK FakeTaskbar::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA && g_taskbar != nullptr) {
    g_taskbar->Record(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_CLOSE) {
    DestroyWindow(window);
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void FakeTaskbar::Record(const COPYDATASTRUCT& data) {
  if (data.cbData < sizeof(NotifyData)) return;
  NotifyData header;
  std::memcpy(&header, data.lpData, sizeof header);
  TrayRequest request;
  request.action = static_cast<DWORD>(data.dwData);
  request.id = header.uID;
  request.flags = header.uFlags;
  request.callbackMessage = header.uCallbackMessage;
  request.tip.assign(header.szTip, wcsnlen(header.szTip, 128));
  const size_t maskBytes = (static_cast<size_t>(header.width) * header.height + 15) / 16 * 2;
  const size_t colourBytes = (static_cast<size_t>(header.planes) * header.width * header.height * header.bpp + 15) / 16 * 2;
  const auto* bits = static_cast<const unsigned char*>(data.lpData) + sizeof header + maskBytes;
  if (sizeof header + maskBytes + colourBytes <= data.cbData) request.iconBits.assign(bits, bits + colourBytes);
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(std::move(request));
}

std::vector<TrayRequest> FakeTaskbar::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void FakeTaskbar::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

std::vector<unsigned char> ProgramIconBits(const std::wstring& exePath, int resource) {
  HMODULE module = LoadLibraryExW(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  std::vector<unsigned char> bits;
  if (module == nullptr) return bits;
  HICON icon = static_cast<HICON>(
      LoadImageW(module, MAKEINTRESOURCEW(resource), IMAGE_ICON, 16, 16, LR_VGACOLOR | LR_COLOR));
  ICONINFO info{};
  if (icon != nullptr && GetIconInfo(icon, &info)) {
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    bits.resize(static_cast<size_t>(bitmap.bmWidthBytes) * bitmap.bmHeight);
    GetBitmapBits(info.hbmColor, static_cast<LONG>(bits.size()), bits.data());
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  FreeLibrary(module);
  return bits;
}

}  // namespace savrin::e2e
