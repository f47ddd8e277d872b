// Message boxes and screenshots: what the screen shows, read from outside.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/e2e/harness.h"

namespace savrin::e2e {
namespace {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<RGBQUAD> data;  // top-down rows
  const RGBQUAD& At(int x, int y) const { return data[static_cast<size_t>(y * width + x)]; }
};

Pixels ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
  Pixels pixels{width, height, std::vector<RGBQUAD>(static_cast<size_t>(width * height))};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

Pixels CaptureScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  Pixels pixels = ReadBitmap(memory, bitmap, width, height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

Pixels RenderIcon(HICON icon, int width, int height, COLORREF background) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH brush = CreateSolidBrush(background);
  RECT all{0, 0, width, height};
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  SelectObject(memory, old);
  Pixels pixels = ReadBitmap(memory, bitmap, width, height);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

bool Same(const RGBQUAD& a, const RGBQUAD& b) {
  return std::abs(a.rgbRed - b.rgbRed) < 8 && std::abs(a.rgbGreen - b.rgbGreen) < 8 &&
         std::abs(a.rgbBlue - b.rgbBlue) < 8;
}

// Share of the icon's opaque pixels that the screen shows unchanged. Icon
// handles cannot be compared across processes, but the same system icon
// drawn by the same system code gives the same pixels.
double MatchIcon(const Pixels& shown, LPCWSTR systemIcon) {
  HICON icon = LoadIconW(nullptr, systemIcon);
  const Pixels onBlack = RenderIcon(icon, shown.width, shown.height, RGB(0, 0, 0));
  const Pixels onWhite = RenderIcon(icon, shown.width, shown.height, RGB(255, 255, 255));
  int opaque = 0;
  int matching = 0;
  for (int y = 0; y < shown.height; ++y) {
    for (int x = 0; x < shown.width; ++x) {
      if (!Same(onBlack.At(x, y), onWhite.At(x, y))) continue;
      ++opaque;
      if (Same(onBlack.At(x, y), shown.At(x, y))) ++matching;
    }
  }
  return opaque == 0 ? 0.0 : static_cast<double>(matching) / opaque;
}

HWND FindIconStatic(HWND box) {
  for (HWND child : DirectChildren(box)) {
    if (ClassName(child) == L"Static" && (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) return child;
  }
  return nullptr;
}

BoxIcon ClassifyIcon(HWND box) {
  HWND iconStatic = FindIconStatic(box);
  if (iconStatic == nullptr || !IsWindowVisible(iconStatic)) return BoxIcon::None;
  RECT area{};
  GetWindowRect(iconStatic, &area);
  const Pixels shown = CaptureScreen(area);
  struct Candidate {
    LPCWSTR id;
    BoxIcon icon;
  } const candidates[] = {{IDI_WARNING, BoxIcon::Warning},
                          {IDI_ERROR, BoxIcon::Error},
                          {IDI_INFORMATION, BoxIcon::Information},
                          {IDI_QUESTION, BoxIcon::Question}};
  BoxIcon best = BoxIcon::Unknown;
  double bestScore = 0.9;
  for (const auto& candidate : candidates) {
    const double score = MatchIcon(shown, candidate.id);
    if (score > bestScore) {
      bestScore = score;
      best = candidate.icon;
    }
  }
  return best;
}

}  // namespace

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view;
  view.caption = WindowText(box);
  view.text = WindowText(GetDlgItem(box, 0xFFFF));
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
    HWND button = GetDlgItem(box, id);
    if (button != nullptr && IsWindowVisible(button)) view.buttons.push_back(id);
  }
  // Give the box a moment to paint before its icon is read off the screen.
  WaitUntil([&] { return ClassifyIcon(box) != BoxIcon::Unknown; }, 3000);
  view.icon = ClassifyIcon(box);
  return view;
}

void AnswerMessageBox(HWND box, int buttonId) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
}

int DarkPixels(HWND window, int leftStripWidth) {
  RECT area{};
  GetWindowRect(window, &area);
  if (leftStripWidth > 0) area.right = std::min<LONG>(area.right, area.left + leftStripWidth);
  const Pixels pixels = CaptureScreen(area);
  int dark = 0;
  for (const RGBQUAD& pixel : pixels.data) dark += pixel.rgbRed + pixel.rgbGreen + pixel.rgbBlue < 3 * 80;
  return dark;
}

bool SaveScreenshot(HWND window, const std::wstring& bmpPath) {
  RECT area{};
  if (!GetWindowRect(window, &area)) return false;
  const Pixels pixels = CaptureScreen(area);
  const int rowBytes = (pixels.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = pixels.width;
  info.biHeight = pixels.height;  // bottom-up
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(rowBytes * pixels.height);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;

  std::ofstream out(std::filesystem::path(bmpPath), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info), sizeof info);
  std::vector<char> row(static_cast<size_t>(rowBytes), 0);
  for (int y = pixels.height - 1; y >= 0; --y) {
    for (int x = 0; x < pixels.width; ++x) {
      const RGBQUAD& p = pixels.At(x, y);
      row[static_cast<size_t>(x * 3)] = static_cast<char>(p.rgbBlue);
      row[static_cast<size_t>(x * 3 + 1)] = static_cast<char>(p.rgbGreen);
      row[static_cast<size_t>(x * 3 + 2)] = static_cast<char>(p.rgbRed);
    }
    out.write(row.data(), rowBytes);
  }
  return static_cast<bool>(out);
}

}  // namespace savrin::e2e
