#include "settings/settings_encoding.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace savrin {
namespace {

// Stands in for MultiByteToWideChar(CP_ACP) on Japanese Windows: ASCII and
// the few Shift-JIS characters the tests use; anything else is U+30FB so a
// wrong path shows.
std::u16string DecodeShiftJisForTest(std::string_view bytes) {
  static const std::map<std::string, char16_t> kDouble = {
      {"\x83\x66", u'デ'}, {"\x81\x5B", u'ー'}, {"\x83\x5E", u'タ'},
      {"\x8E\xF3", u'受'}, {"\x90\x4D", u'信'}, {"\x83\x5C", u'ソ'},
  };
  std::u16string out;
  for (size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      out += static_cast<char16_t>(byte);
      ++i;
      continue;
    }
    const auto found = kDouble.find(std::string(bytes.substr(i, 2)));
    out += found == kDouble.end() ? u'・' : found->second;
    i += 2;
  }
  return out;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (const int v : values) out.push_back(static_cast<char>(v));
  return out;
}

const AnsiDecoder kShiftJis = DecodeShiftJisForTest;

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::u16string text;
};

TEST(DecodeSettingsBytes, PicksTheEncodingByBomThenByUtf8Validity) {
  const std::u16string surrogateAlone(1, char16_t(0xD83D));
  const DecodeCase cases[] = {
      {"UTF-16LE", "\xFF\xFE" + Bytes({'[', 0, 'S', 0, ']', 0, 0xC7, 0x30}), u"[S]デ"},
      {"UTF-16LE astral", "\xFF\xFE" + Bytes({0x3D, 0xD8, 0xC1, 0xDC}), u"\U0001F4C1"},
      {"UTF-16LE odd last byte dropped", "\xFF\xFE" + Bytes({'a', 0, 'b'}), u"a"},
      {"UTF-16LE unpaired surrogate kept", "\xFF\xFE" + Bytes({0x3D, 0xD8, 'x', 0}), surrogateAlone + u"x"},
      {"UTF-16LE BOM decides even for UTF-8-looking bytes", "\xFF\xFE" "ab", u"\u6261"},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" "[S]\r\nK=\xE5\x8F\x97\xE4\xBF\xA1", u"[S]\r\nK=受信"},
      {"UTF-8 without BOM", "K=\xED\x95\x9C\xEA\xB8\x80", u"K=한글"},
      {"ASCII", "[Option]\r\nTime=60", u"[Option]\r\nTime=60"},
      {"Shift-JIS", "K=C:\\\x83\x66\x81\x5B\x83\x5E\\\x8E\xF3\x90\x4D", u"K=C:\\データ\\受信"},
      {"Shift-JIS trail byte 0x5C is no separator", "\x83\x5C\\x", u"ソ\\x"},
      {"lone UTF-16 BOM", "\xFF\xFE", u""},
      {"lone UTF-16 BOM with odd byte", "\xFF\xFE\x41", u""},
      {"lone UTF-8 BOM", "\xEF\xBB\xBF", u""},
      {"empty", "", u""},
      {"UTF-8 BOM after UTF-16 BOM is text", "\xFF\xFE\xEF\xBB", u"\uBBEF"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeSettingsBytes(c.bytes, kShiftJis), c.text) << c.what;
}

TEST(DecodeSettingsBytes, IllFormedUtf8AfterItsBomBecomesReplacementCharacters) {
  const DecodeCase cases[] = {
      {"lone continuation", "a\x80z", u"a\uFFFDz"},
      {"cut sequence swallows nothing after it", "a\xE3\x83z", u"a\uFFFDz"},
      {"cut sequence at the end", "a\xF0\x9F\x93", u"a\uFFFD"},
      {"overlong, byte by byte", "\xC0\xAF", u"\uFFFD\uFFFD"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"past U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"never a lead byte", "\xF5\xFF", u"\uFFFD\uFFFD"},
      {"valid around invalid", "\xE5\x8F\x97\xFF\xE4\xBF\xA1", u"受\uFFFD信"},
      {"highest code point", "\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeSettingsBytes("\xEF\xBB\xBF" + c.bytes, kShiftJis), c.text) << c.what;
}

TEST(DecodeSettingsBytes, WithoutAnAnsiDecoderForeignBytesBecomeReplacementCharacters) {
  EXPECT_EQ(DecodeSettingsBytes("a\x83\x66", AnsiDecoder()), u"a\uFFFDf");
}

TEST(EncodeSettingsText, WritesUtf16LeWithBom) {
  EXPECT_EQ(EncodeSettingsText(u""), "\xFF\xFE");
  EXPECT_EQ(EncodeSettingsText(u"a=デ"), "\xFF\xFE" + Bytes({'a', 0, '=', 0, 0xC7, 0x30}));
}

TEST(EncodeSettingsText, EveryCharacterSurvivesTheRoundTrip) {
  const std::u16string texts[] = {
      u"[Source]\r\n0=C:\\Users\\ユーザー\\データ\r\n",
      u"D:\\한글 폴더\\\U0001F4C1\U0001F600",
      std::u16string(1, char16_t(0xDC00)) + u"lone low, lone high" + std::u16string(1, char16_t(0xD800)),
      std::u16string(u"nul\0inside", 10),
  };
  for (const auto& text : texts) EXPECT_EQ(DecodeSettingsBytes(EncodeSettingsText(text), kShiftJis), text);
  std::u16string everyUnit;
  for (char32_t unit = 0; unit <= 0xFFFF; ++unit) everyUnit += static_cast<char16_t>(unit);
  EXPECT_EQ(DecodeSettingsBytes(EncodeSettingsText(everyUnit), kShiftJis), everyUnit);
}

}  // namespace
}  // namespace savrin
