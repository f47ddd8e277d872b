#include "settings/window_rect.h"

#include "settings/profile_number.h"
#include "settings/settings_keys.h"

namespace savrin {
namespace {

int32_t ReadCoordinate(const IniDocument& doc, std::u16string_view key) {
  const auto value = ReadSetting(doc, kOptionSection, key);
  return value ? ReadDecimal(*value).value_or(0) : 0;
}

}  // namespace

WindowRect ReadWindowRect(const IniDocument& doc) {
  WindowRect rect;
  rect.Top = ReadCoordinate(doc, kTopKey);
  rect.Left = ReadCoordinate(doc, kLeftKey);
  rect.Right = ReadCoordinate(doc, kRightKey);
  rect.Bottom = ReadCoordinate(doc, kBottomKey);
  return rect;
}

void WriteWindowRect(IniDocument& doc, const WindowRect& rect) {
  WriteSetting(doc, kOptionSection, kTopKey, FormatDecimal(rect.Top));
  WriteSetting(doc, kOptionSection, kLeftKey, FormatDecimal(rect.Left));
  WriteSetting(doc, kOptionSection, kRightKey, FormatDecimal(rect.Right));
  WriteSetting(doc, kOptionSection, kBottomKey, FormatDecimal(rect.Bottom));
}

WindowRect PlaceWindowRect(const WindowRect& stored, int32_t windowWidth, int32_t windowHeight, int32_t screenWidth,
                           int32_t screenHeight) {
  // Stored coordinates come from the file and may be any int32, so their
  // differences are taken in 64 bits.
  if (int64_t{stored.Right} - stored.Left == windowWidth && int64_t{stored.Bottom} - stored.Top == windowHeight) {
    return stored;
  }
  // Each half lies within +-2^30, so Left = S/2 - W/2 and Right = S/2 + (W -
  // W/2) stay within int32 for any inputs.
  const int32_t left = screenWidth / 2 - windowWidth / 2;
  const int32_t top = screenHeight / 2 - windowHeight / 2;
  return WindowRect{left, top, screenWidth / 2 + (windowWidth - windowWidth / 2),
                    screenHeight / 2 + (windowHeight - windowHeight / 2)};
}

}  // namespace savrin
