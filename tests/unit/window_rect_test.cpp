#include "settings/window_rect.h"

#include <gtest/gtest.h>

#include <limits>

namespace savrin {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(ReadWindowRect, ReadsDecimalsWithZeroForAnythingElse) {
  EXPECT_EQ(ReadWindowRect(IniDocument(u"[Option]\nTop=211\nLeft=342\nRight=938\nBottom=738")),
            (WindowRect{342, 211, 938, 738}));
  EXPECT_EQ(ReadWindowRect(IniDocument(u"[Option]\nTop=-20\nLeft=x\nRight=\nBottom=0x10")), (WindowRect{0, -20, 0, 0}));
  EXPECT_EQ(ReadWindowRect(IniDocument(u"")), (WindowRect{0, 0, 0, 0}));
}

TEST(WriteWindowRect, WritesTopLeftRightBottomAndReadsBack) {
  IniDocument doc(u"[Option]\r\nTime=60\r\n");
  WriteWindowRect(doc, WindowRect{-342, 211, kMax, kMin});
  EXPECT_EQ(doc.Serialize(), u"[Option]\r\nTime=60\r\nTop=211\r\nLeft=-342\r\nRight=2147483647\r\nBottom=-2147483648\r\n");
  EXPECT_EQ(ReadWindowRect(doc), (WindowRect{-342, 211, kMax, kMin}));
}

TEST(PlaceWindowRect, KeepsAStoredRectangleOfTheWindowsSizeWhereverItLies) {
  const WindowRect cases[] = {
      {342, 211, 938, 738},
      {-2000, -1500, -1404, -973},  // on a monitor left of the primary one, or gone
      {5000, 5000, 5596, 5527},
      {kMax - 596, kMax - 527, kMax, kMax},
  };
  for (const auto& stored : cases) EXPECT_EQ(PlaceWindowRect(stored, 596, 527, 1920, 1080), stored);
}

TEST(PlaceWindowRect, CentresTheWindowWhenTheSizeDiffers) {
  const struct {
    WindowRect stored;
    int32_t ww, wh, sw, sh;
    WindowRect placed;
  } cases[] = {
      {{0, 0, 0, 0}, 596, 527, 1920, 1080, {662, 277, 1258, 804}},
      {{342, 211, 939, 738}, 596, 527, 1920, 1080, {662, 277, 1258, 804}},  // one pixel too wide
      {{342, 211, 938, 739}, 596, 527, 1920, 1080, {662, 277, 1258, 804}},
      // Halved separately: 1024/2 - 597/2 = 512 - 298, where (1024 - 597)/2 would give 213.
      {{0, 0, 0, 0}, 597, 401, 1024, 768, {214, 184, 811, 585}},
      // Toward zero, not down: -5/2 is -2.
      {{0, 0, 0, 0}, 3, 3, -5, -5, {-3, -3, 0, 0}},
      // A window wider than the screen starts left of it.
      {{0, 0, 0, 0}, 3000, 2000, 1920, 1080, {-540, -460, 2460, 1540}},
      // Differences of stored values past the int32 range must not overflow.
      {{kMin, kMin, kMax, kMax}, -1, -1, 100, 100, {50, 50, 49, 49}},
      {{kMax, kMax, kMin, kMin}, 1, 1, 100, 100, {50, 50, 51, 51}},
      {{0, 0, 0, 0}, kMax, kMin, kMin, kMax, {-2147483647, 2147483647, 0, -1}},
      {{0, 0, 0, 0}, kMin, kMax, kMax, kMin, {kMax, -2147483647, -1, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlaceWindowRect(c.stored, c.ww, c.wh, c.sw, c.sh), c.placed)
        << c.stored.Left << "," << c.stored.Top << "," << c.stored.Right << "," << c.stored.Bottom << " " << c.ww
        << "x" << c.wh << " on " << c.sw << "x" << c.sh;
  }
}

}  // namespace
}  // namespace savrin
