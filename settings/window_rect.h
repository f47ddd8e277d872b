#pragma once
#include <cstdint>

#include "settings/ini_document.h"

namespace savrin {

struct WindowRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  friend bool operator==(const WindowRect& a, const WindowRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
  }
};

// Option/Top, Left, Right, Bottom in decimal; an absent key reads as 0.
WindowRect ReadWindowRect(const IniDocument& doc);

// Writes Option/Top, Left, Right, Bottom, in that order.
void WriteWindowRect(IniDocument& doc, const WindowRect& rect);

// Where the window opens: the stored rectangle, wherever it lies, when it has
// the window's size; otherwise the window centred on the screen, each half
// truncated toward zero on its own (Left = SW/2 - WW/2, Right = Left + WW).
// No input, however absurd, overflows.
WindowRect PlaceWindowRect(const WindowRect& stored, int32_t windowWidth, int32_t windowHeight, int32_t screenWidth,
                           int32_t screenHeight);

}  // namespace savrin
