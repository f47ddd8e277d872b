#pragma once
// A stand-in taskbar for the tests: a "Shell_TrayWnd" window with a
// "TrayNotifyWnd" child, found before the platform's own, that records the
// tray-icon requests the shell hands to it.
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace savrin::e2e {

struct TrayRequest {
  DWORD action = 0;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  UINT id = 0;
  UINT flags = 0;
  UINT callbackMessage = 0;
  std::wstring tip;
  std::vector<unsigned char> iconBits;  // the icon's colour bitmap as the shell passed it
};

class FakeTaskbar {
 public:
  FakeTaskbar();
  ~FakeTaskbar();
  FakeTaskbar(const FakeTaskbar&) = delete;
  FakeTaskbar& operator=(const FakeTaskbar&) = delete;

  std::vector<TrayRequest> Requests() const;
  void Clear();
  HWND Window() const { return window_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Record(const COPYDATASTRUCT& data);

  std::thread thread_;
  HWND window_ = nullptr;
  mutable std::mutex mutex_;
  std::vector<TrayRequest> requests_;
};

// The colour bits of a 16 x 16 icon resource of the program, as the tray
// requests carry them, to tell which icon a request showed.
std::vector<unsigned char> ProgramIconBits(const std::wstring& exePath, int resource);

}  // namespace savrin::e2e
