#pragma once
// How Wine's shell hands a tray-icon request to the taskbar window: a
// WM_COPYDATA whose dwData is the action (NIM_ADD, NIM_MODIFY, NIM_DELETE)
// and whose data is this record, followed by the icon's mask bits (1 bit a
// pixel, rows of whole words) and then its colour bits. Used by the stand-in
// taskbars of the tests and of `make run`.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace savrin::wine_tray {

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

struct Request {
  DWORD action = 0;
  HWND owner = nullptr;
  UINT id = 0;
  UINT flags = 0;
  UINT callbackMessage = 0;
  std::wstring tip;
  UINT width = 0;
  UINT height = 0;
  UINT bpp = 0;
  std::vector<unsigned char> maskBits;
  std::vector<unsigned char> colourBits;
};

inline bool Decode(const COPYDATASTRUCT& data, Request& request) {
  if (data.cbData < sizeof(NotifyData)) return false;
  NotifyData header;
  std::memcpy(&header, data.lpData, sizeof header);
  request.action = static_cast<DWORD>(data.dwData);
  request.owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(header.hWnd));
  request.id = header.uID;
  request.flags = header.uFlags;
  request.callbackMessage = header.uCallbackMessage;
  request.tip.assign(header.szTip, wcsnlen(header.szTip, 128));
  request.width = header.width;
  request.height = header.height;
  request.bpp = header.bpp;
  const size_t maskBytes = (static_cast<size_t>(header.width) * header.height + 15) / 16 * 2;
  const size_t colourBytes =
      (static_cast<size_t>(header.planes) * header.width * header.height * header.bpp + 15) / 16 * 2;
  if (sizeof header + maskBytes + colourBytes <= data.cbData) {
    const auto* bits = static_cast<const unsigned char*>(data.lpData) + sizeof header;
    request.maskBits.assign(bits, bits + maskBytes);
    request.colourBits.assign(bits + maskBytes, bits + maskBytes + colourBytes);
  }
  return true;
}

}  // namespace savrin::wine_tray
