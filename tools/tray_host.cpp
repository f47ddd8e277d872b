// A small notification area for Wine desktops whose taskbar has none: a
// "Shell_TrayWnd" window with a "TrayNotifyWnd" child that shows the icons
// programs add and passes clicks on them back, so that a window minimised
// into the tray can be brought back. `make run` starts it beside Savrin.
#include <windows.h>

#include <shellapi.h>

#include <vector>

#include "tools/wine_tray_protocol.h"

namespace {

struct TrayIcon {
  HWND owner;
  UINT id;
  UINT callbackMessage;
  HICON icon;
};

std::vector<TrayIcon> g_icons;
HWND g_tray = nullptr;
constexpr int kSlot = 24;

HICON IconFromBits(const savrin::wine_tray::Request& request) {
  if (request.colourBits.empty() || request.width == 0) return nullptr;
  HBITMAP mask = CreateBitmap(static_cast<int>(request.width), static_cast<int>(request.height), 1, 1,
                              request.maskBits.data());
  HBITMAP colour = CreateBitmap(static_cast<int>(request.width), static_cast<int>(request.height), 1,
                                request.bpp, request.colourBits.data());
  ICONINFO info{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

void Apply(const savrin::wine_tray::Request& request) {
  auto found = g_icons.end();
  for (auto it = g_icons.begin(); it != g_icons.end(); ++it) {
    if (it->owner == request.owner && it->id == request.id) found = it;
  }
  if (request.action == NIM_DELETE) {
    if (found != g_icons.end()) {
      DestroyIcon(found->icon);
      g_icons.erase(found);
    }
  } else if (request.action == NIM_ADD && found == g_icons.end()) {
    g_icons.push_back({request.owner, request.id, request.callbackMessage, IconFromBits(request)});
  } else if (request.action == NIM_MODIFY && found != g_icons.end()) {
    if (HICON icon = IconFromBits(request)) {
      DestroyIcon(found->icon);
      found->icon = icon;
    }
    if (request.flags & NIF_MESSAGE) found->callbackMessage = request.callbackMessage;
  }
  InvalidateRect(g_tray, nullptr, TRUE);
}

LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA: {
      savrin::wine_tray::Request request;
      if (!savrin::wine_tray::Decode(*reinterpret_cast<const COPYDATASTRUCT*>(lParam), request)) return FALSE;
      // The owner may have gone meanwhile: answer at once, then act.
      Apply(request);
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      for (size_t i = 0; i < g_icons.size(); ++i) {
        if (g_icons[i].icon) DrawIconEx(dc, 4 + static_cast<int>(i) * kSlot, 4, g_icons[i].icon, 16, 16, 0, nullptr, DI_NORMAL);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_LBUTTONDBLCLK: {
      const size_t slot = static_cast<size_t>(static_cast<short>(LOWORD(lParam)) - 4) / kSlot;
      if (slot < g_icons.size()) {
        const TrayIcon& icon = g_icons[slot];
        // The program's menu needs the foreground; let it take it.
        DWORD process = 0;
        GetWindowThreadProcessId(icon.owner, &process);
        AllowSetForegroundWindow(process);
        PostMessageW(icon.owner, icon.callbackMessage, icon.id, message);
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW tray{};
  tray.style = CS_DBLCLKS;
  tray.lpfnWndProc = TrayProc;
  tray.hInstance = instance;
  tray.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  tray.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  tray.lpszClassName = L"Shell_TrayWnd";
  RegisterClassW(&tray);
  WNDCLASSW notify = tray;
  notify.lpfnWndProc = DefWindowProcW;
  notify.lpszClassName = L"TrayNotifyWnd";
  RegisterClassW(&notify);

  const int width = 4 + 4 * kSlot;
  const int height = 24;
  // Topmost, so that a search for the taskbar by class finds this one first.
  g_tray = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"Savrin tray", WS_POPUP | WS_BORDER,
                           GetSystemMetrics(SM_CXSCREEN) - width - 8, GetSystemMetrics(SM_CYSCREEN) - height - 8,
                           width, height, nullptr, nullptr, instance, nullptr);
  CreateWindowExW(0, L"TrayNotifyWnd", nullptr, WS_CHILD, 0, 0, 1, 1, g_tray, nullptr, instance, nullptr);
  ShowWindow(g_tray, SW_SHOWNOACTIVATE);
  // Programs already running add their icons again when told the taskbar is new.
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
