#include "tests/e2e/fake_taskbar.h"


#include "tests/e2e/harness.h"
#include "tools/wine_tray_protocol.h"

namespace savrin::e2e {
namespace {

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
  wine_tray::Request decoded;
  if (!wine_tray::Decode(data, decoded)) return;
  TrayRequest request;
  request.action = decoded.action;
  request.id = decoded.id;
  request.flags = decoded.flags;
  request.callbackMessage = decoded.callbackMessage;
  request.tip = decoded.tip;
  request.iconBits = std::move(decoded.colourBits);
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
