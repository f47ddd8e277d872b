#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "tests/shared/settings_invariants.h"

namespace savrin {
namespace {

// Optimised builds must answer well within a second. Sanitizer builds check
// every memory access and time nothing meaningful; their limit only catches
// a pass quadratic in the size of these files, which would take minutes.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr auto kTimeLimit = std::chrono::seconds(1);
#else
constexpr auto kTimeLimit = std::chrono::seconds(60);
#endif

template <typename Work>
std::chrono::steady_clock::duration Timed(Work work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::steady_clock::now() - start;
}

TEST(SettingsRobustness, BinaryGarbageLoadsWithoutHarm) {
  std::mt19937 random(20240601);
  for (int round = 0; round < 300; ++round) {
    std::string bytes(random() % 2048, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random());
    // Lean towards the characters the reader acts on, so lines, sections
    // and entries actually form.
    for (char& byte : bytes) {
      if (random() % 3 == 0) byte = "[]=;\"' \r\n0S"[random() % 11];
    }
    if (round % 3 == 1) bytes.insert(0, "\xFF\xFE");
    if (round % 3 == 2) bytes.insert(0, "\xEF\xBB\xBF");
    ASSERT_EQ(invariants::Check(bytes), "") << "round " << round;
  }
}

TEST(SettingsRobustness, InvariantsHoldForATypicalFile) {
  const std::string file =
      "; comment\r\n[Source]\r\n0=C:\\in\r\n1= spaced \r\n[Destination]\r\n0=D:\\out\r\n1=\"q\"\r\n[Pattern]\r\n0=*.pdf\r\n"
      "1=a\r\n[Condition]\r\n0=65793\r\n1=-65536\r\n[FilenamePattern]\r\n0=*.pdf\r\n[Option]\r\nTime=60\r\nStatus=0\r\n"
      "Minimized=1\r\nTop=1\r\nLeft=2\r\nRight=3\r\nBottom=4\r\n[Column]\r\n1=234\r\n2=-1\r\n3=x\r\n";
  EXPECT_EQ(invariants::Check(file), "");
  EXPECT_EQ(LoadSettings(IniDocument(invariants::DecodeLatin1(file))).Rules.size(), 2u);
}

TEST(SettingsRobustness, ATenMegabyteLineIsReadAndCut) {
  const std::u16string huge(10'000'000, u'x');
  LoadedSettings loaded;
  std::optional<std::u16string> value;
  const auto took = Timed([&] {
    const IniDocument doc(u"[Source]\r\n0=" + huge + u"\r\n[Option]\r\nTime=7\r\n[S]\r\nK=" + huge + u"\r\n" + huge);
    value = doc.Get(u"S", u"K");
    loaded = LoadSettings(doc);
  });
  EXPECT_LT(took, kTimeLimit);
  EXPECT_EQ(value, huge);
  ASSERT_EQ(loaded.Rules.size(), 1u);
  EXPECT_EQ(loaded.Rules[0].Source, huge.substr(0, 260));
  EXPECT_EQ(loaded.IntervalSeconds, 7);
}

TEST(SettingsRobustness, AHundredThousandSectionsAnswerFast) {
  std::u16string text;
  for (int i = 0; i < 100000; ++i) text += u"[S" + FormatDecimal(i) + u"]\r\nK=" + FormatDecimal(i) + u"\r\n";
  text += u"[Option]\r\nTime=5\r\n";
  const auto took = Timed([&] {
    IniDocument doc(text);
    EXPECT_EQ(doc.Get(u"s99999", u"k"), u"99999");
    EXPECT_EQ(doc.Get(u"S50000", u"K"), u"50000");
    EXPECT_EQ(doc.Get(u"S100000", u"K"), std::nullopt);
    EXPECT_EQ(LoadSettings(doc).IntervalSeconds, 5);
    for (int i = 0; i < 1000; ++i) doc.Set(u"S" + FormatDecimal(i * 97), u"New", u"v");
    doc.RemoveSection(u"S1");
    EXPECT_EQ(doc.Get(u"S1", u"K"), std::nullopt);
    EXPECT_EQ(doc.Get(u"S97", u"New"), u"v");
    EXPECT_EQ(doc.Get(u"S99998", u"K"), u"99998");
  });
  EXPECT_LT(took, kTimeLimit);
}

TEST(SettingsRobustness, TwentyThousandRulesLoadAndSaveFast) {
  SettingsSnapshot snapshot;
  for (int i = 0; i < 20000; ++i) {
    snapshot.Rules.push_back({u"C:\\in\\" + FormatDecimal(i), u"D:\\out", u"*.txt", static_cast<ConditionWord>(i)});
  }
  IniDocument doc;
  LoadedSettings loaded;
  const auto took = Timed([&] {
    SaveAllSettings(doc, snapshot);
    SaveAllSettings(doc, snapshot);
    loaded = LoadSettings(IniDocument(doc.Serialize()));
  });
  EXPECT_LT(took, kTimeLimit);
  EXPECT_EQ(loaded.Rules, snapshot.Rules);
}

TEST(SettingsRobustness, UnpairedSurrogatesSurviveTheWholeWay) {
  const std::u16string high(1, char16_t(0xD83D)), low(1, char16_t(0xDCC1));
  const std::u16string folder = u"C:\\" + high + u"\\" + low + u"x" + high;
  IniDocument doc;
  SettingsSnapshot snapshot;
  snapshot.Rules = {{folder, low, high + low, 1}};
  snapshot.History = {high};
  SaveAllSettings(doc, snapshot);
  doc.Set(high + u"section", low + u"key", low);
  const IniDocument back(DecodeSettingsBytes(EncodeSettingsText(doc.Serialize()), invariants::DecodeLatin1));
  const LoadedSettings loaded = LoadSettings(back);
  EXPECT_EQ(loaded.Rules, snapshot.Rules);
  EXPECT_EQ(loaded.History, snapshot.History);
  EXPECT_EQ(back.Get(high + u"section", low + u"key"), low);
}

TEST(SettingsRobustness, ALoneByteOrderMarkIsAnEmptyFile) {
  for (const std::string bom : {"\xFF\xFE", "\xEF\xBB\xBF", "\xFF\xFE\x00"}) {
    const IniDocument doc(DecodeSettingsBytes(bom, invariants::DecodeLatin1));
    EXPECT_EQ(doc.Serialize(), u"");
    EXPECT_EQ(LoadSettings(doc), LoadSettings(IniDocument()));
  }
}

}  // namespace
}  // namespace savrin
