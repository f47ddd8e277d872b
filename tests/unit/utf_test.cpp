#include "platform/utf.h"

#include <gtest/gtest.h>

namespace savrin {
namespace {

TEST(Utf8, RoundTripsJapaneseKoreanAndAstralText) {
  const std::u16string text = u"C:\\データ\\受信\\한글\\\U0001F4C1.txt";
  const std::string bytes = EncodeUtf8(text);
  EXPECT_EQ(bytes, "C:\\\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\\\xE5\x8F\x97\xE4\xBF\xA1\\\xED\x95\x9C\xEA\xB8\x80\\"
                   "\xF0\x9F\x93\x81.txt");
  EXPECT_EQ(DecodeUtf8(bytes), text);
}

TEST(Utf8, RejectsWhatIsNotUtf8) {
  // Shift-JIS for "データ": must not pass for UTF-8, or it would load as garbage.
  EXPECT_EQ(DecodeUtf8("\x83\x66\x81\x5B\x83\x5E"), std::nullopt);
  EXPECT_EQ(DecodeUtf8("\xC0\xAF"), std::nullopt) << "overlong slash";
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), std::nullopt) << "encoded surrogate";
  EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), std::nullopt) << "past U+10FFFF";
  EXPECT_EQ(DecodeUtf8("\xE3\x83"), std::nullopt) << "cut sequence";
  EXPECT_EQ(DecodeUtf8("\x80"), std::nullopt) << "lone continuation byte";
  EXPECT_EQ(DecodeUtf8(""), std::u16string());
}

TEST(Utf8, UnpairedSurrogatesBecomeReplacementCharacters) {
  EXPECT_EQ(EncodeUtf8(std::u16string(1, char16_t(0xD800)) + u"a"), "\xEF\xBF\xBD" "a");
  EXPECT_EQ(EncodeUtf8(u"a" + std::u16string(1, char16_t(0xDC00))), "a\xEF\xBF\xBD");
}

}  // namespace
}  // namespace savrin
