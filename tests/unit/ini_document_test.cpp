#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace savrin {
namespace {

struct LookupCase {
  const char* what;
  std::u16string text;
  std::u16string section, key;
  std::optional<std::u16string> value;
};

void ExpectLookups(const std::vector<LookupCase>& cases) {
  for (const auto& c : cases) {
    EXPECT_EQ(IniDocument(c.text).Get(c.section, c.key), c.value) << c.what;
  }
}

TEST(IniDocumentReading, NamesMatchWithoutRegardToCase) {
  ExpectLookups({
      {"ASCII", u"[Option]\r\nTime=60\r\n", u"OPTION", u"time", u"60"},
      {"full-width Latin", u"[ＯＰＴ]\r\nＫ=1\r\n", u"ｏｐｔ", u"ｋ", u"1"},
      {"Latin-1", u"[ÄÖÜ]\r\nÉ=1\r\n", u"äöü", u"é", u"1"},
      {"Greek", u"[ΑΒΓ]\r\nΩ=1\r\n", u"αβγ", u"ω", u"1"},
      {"Cyrillic", u"[ДЁЯ]\r\nЖ=1\r\n", u"дёя", u"ж", u"1"},
      {"Japanese has no case", u"[設定]\r\nキー=1\r\n", u"設定", u"キー", u"1"},
      {"no folding past letters", u"[×]\r\nk=1\r\n", u"÷", u"k", std::nullopt},
      {"kana are not folded onto each other", u"[S]\r\nカ=1\r\n", u"S", u"か", std::nullopt},
  });
}

TEST(IniDocumentReading, TrimsBlanksAndOnePairOfQuotes) {
  ExpectLookups({
      {"around section name", u"[  Option \t]\r\nTime=1\r\n", u"Option", u"Time", u"1"},
      {"around key and value", u"[S]\r\n \t Time \v=\f 60 \t\r\n", u"S", u"Time", u"60"},
      {"inner blanks stay", u"[S]\r\nK= a  b \r\n", u"S", u"K", u"a  b"},
      {"double quotes", u"[S]\r\nK=\"  a  \"\r\n", u"S", u"K", u"  a  "},
      {"single quotes", u"[S]\r\nK='b'\r\n", u"S", u"K", u"b"},
      {"quotes after trimming", u"[S]\r\nK=  \" c \"  \r\n", u"S", u"K", u" c "},
      {"only one pair", u"[S]\r\nK=\"\"x\"\"\r\n", u"S", u"K", u"\"x\""},
      {"mismatched quotes stay", u"[S]\r\nK=\"c'\r\n", u"S", u"K", u"\"c'"},
      {"a lone quote stays", u"[S]\r\nK=\"\r\n", u"S", u"K", u"\""},
      {"empty quotes", u"[S]\r\nK=''\r\n", u"S", u"K", u""},
      {"ideographic space is kept", u"[S]\r\nK=\u3000a\u3000\r\n", u"S", u"K", u"\u3000a\u3000"},
      {"value holds '='", u"[S]\r\nK=a=b\r\n", u"S", u"K", u"a=b"},
      {"header text after ]", u"[S] junk\r\nK=1\r\n", u"S", u"K", u"1"},
      {"last ] closes the name", u"[a]b]\r\nK=1\r\n", u"a]b", u"K", u"1"},
  });
}

TEST(IniDocumentReading, TellsAbsentFromEmpty) {
  ExpectLookups({
      {"present but empty", u"[S]\r\nK=\r\n", u"S", u"K", u""},
      {"blanks only", u"[S]\r\nK=  \t\r\n", u"S", u"K", u""},
      {"absent key", u"[S]\r\nK=1\r\n", u"S", u"L", std::nullopt},
      {"absent section", u"[S]\r\nK=1\r\n", u"T", u"K", std::nullopt},
      {"key in another section", u"[S]\r\n[T]\r\nK=1\r\n", u"S", u"K", std::nullopt},
      {"empty file", u"", u"S", u"K", std::nullopt},
  });
}

TEST(IniDocumentReading, FirstOfDuplicatesWins) {
  ExpectLookups({
      {"duplicate key", u"[S]\r\nK=1\r\nK=2\r\n", u"S", u"K", u"1"},
      {"duplicate key in other case", u"[S]\r\nK=1\r\nk=2\r\n", u"S", u"k", u"1"},
      {"duplicate section", u"[S]\r\nK=1\r\n[S]\r\nK=2\r\n", u"S", u"K", u"1"},
      {"later duplicate section is not read", u"[S]\r\nK=1\r\n[s]\r\nL=2\r\n", u"S", u"L", std::nullopt},
      {"empty first value still wins", u"[S]\r\nK=\r\nK=2\r\n", u"S", u"K", u""},
  });
}

TEST(IniDocumentReading, LinesThatCarryNoKey) {
  ExpectLookups({
      {"comment", u"[S]\r\n;K=1\r\n", u"S", u";K", std::nullopt},
      {"indented comment", u"[S]\r\n  ;K=1\r\n", u"S", u";K", std::nullopt},
      {"no '='", u"[S]\r\nK\r\n", u"S", u"K", std::nullopt},
      {"before the first section", u"K=1\r\n[S]\r\n", u"S", u"K", std::nullopt},
      {"before the first section, nameless", u"K=1\r\n", u"", u"K", std::nullopt},
      {"unclosed header is an entry", u"[S]\r\n[T=1\r\n", u"S", u"[T", u"1"},
  });
}

TEST(IniDocumentReading, AcceptsEveryLineEnd) {
  for (const std::u16string end : {u"\r\n", u"\n", u"\r"}) {
    const IniDocument doc(u"[S]" + end + u"A=1" + end + u"B=2");
    EXPECT_EQ(doc.Get(u"S", u"A"), u"1");
    EXPECT_EQ(doc.Get(u"S", u"B"), u"2");
  }
  const IniDocument mixed(u"[S]\nA=1\r\n\n\rB=2\r[T]\r\nC=3");
  EXPECT_EQ(mixed.Get(u"S", u"A"), u"1");
  EXPECT_EQ(mixed.Get(u"S", u"B"), u"2");
  EXPECT_EQ(mixed.Get(u"T", u"C"), u"3");
}

TEST(IniDocumentSerialize, EndsEveryLineWithCrLfAndKeepsItsText) {
  const struct {
    std::u16string in, out;
  } cases[] = {
      {u"", u""},
      {u"a", u"a\r\n"},
      {u"a\n", u"a\r\n"},
      {u"\n", u"\r\n"},
      {u"\n\r\r\n", u"\r\n\r\n\r\n"},
      {u" [S] x\r; c\nK = \"v\" \r\n", u" [S] x\r\n; c\r\nK = \"v\" \r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(IniDocument(c.in).Serialize(), c.out);
}

const std::u16string kSample =
    u"; written by hand\r\n"
    u"[Option]\r\n"
    u"Time = 60\r\n"
    u"; keep me\r\n"
    u"Custom=keep\r\n"
    u"\r\n"
    u"[Other]\r\n"
    u"x=1\r\n";

TEST(IniDocumentSet, ReplacesTheWinningValueInPlace) {
  IniDocument doc(kSample);
  ASSERT_TRUE(doc.Set(u"OPTION", u"time", u"90"));
  EXPECT_EQ(doc.Serialize(),
            u"; written by hand\r\n[Option]\r\nTime = 90\r\n; keep me\r\nCustom=keep\r\n\r\n[Other]\r\nx=1\r\n");
  EXPECT_EQ(doc.Get(u"Option", u"Time"), u"90");
}

TEST(IniDocumentSet, AddsAMissingKeyAfterTheSectionsLastNonBlankLine) {
  IniDocument doc(kSample);
  ASSERT_TRUE(doc.Set(u"Option", u"Status", u"0"));
  ASSERT_TRUE(doc.Set(u"Option", u"Minimized", u"1"));
  EXPECT_EQ(doc.Serialize(),
            u"; written by hand\r\n[Option]\r\nTime = 60\r\n; keep me\r\nCustom=keep\r\nStatus=0\r\nMinimized=1\r\n"
            u"\r\n[Other]\r\nx=1\r\n");
}

TEST(IniDocumentSet, AddsAMissingSectionAtTheEnd) {
  IniDocument doc(kSample);
  ASSERT_TRUE(doc.Set(u"Column", u"1", u"234"));
  ASSERT_TRUE(doc.Set(u"Column", u"2", u"119"));
  EXPECT_EQ(doc.Serialize(), kSample + u"[Column]\r\n1=234\r\n2=119\r\n");
}

TEST(IniDocumentSet, AddsToAHeaderOnlySectionRightAfterItsHeader) {
  IniDocument doc(u"[S]\r\n\r\n\r\n[T]\r\n");
  ASSERT_TRUE(doc.Set(u"S", u"A", u"1"));
  EXPECT_EQ(doc.Serialize(), u"[S]\r\nA=1\r\n\r\n\r\n[T]\r\n");
}

TEST(IniDocumentSet, WritesWhereReadingLooks) {
  IniDocument doc(u"[S]\r\nK=1\r\nK=2\r\n[s]\r\nL=3\r\n");
  ASSERT_TRUE(doc.Set(u"S", u"K", u"4"));
  ASSERT_TRUE(doc.Set(u"S", u"L", u"5"));
  EXPECT_EQ(doc.Serialize(), u"[S]\r\nK=4\r\nK=2\r\nL=5\r\n[s]\r\nL=3\r\n");
  EXPECT_EQ(doc.Get(u"S", u"L"), u"5");
}

TEST(IniDocumentSet, CutsAValueAtItsFirstLineBreak) {
  IniDocument doc;
  ASSERT_TRUE(doc.Set(u"S", u"A", u"one\r\n[T]\r\nB=two"));
  ASSERT_TRUE(doc.Set(u"S", u"C", u"x\ry"));
  ASSERT_TRUE(doc.Set(u"S", u"D", u"\nz"));
  EXPECT_EQ(doc.Serialize(), u"[S]\r\nA=one\r\nC=x\r\nD=\r\n");
  EXPECT_EQ(doc.Get(u"T", u"B"), std::nullopt);
}

TEST(IniDocumentSet, RefusesNamesThatWouldNotReadBack) {
  const struct {
    std::u16string section, key;
  } cases[] = {
      {u"S", u""},      {u"S", u"a=b"},  {u"S", u";k"},   {u"S", u"[k"},    {u"S", u" k"},
      {u"S", u"k\t"},   {u"S", u"k\r"},  {u"S", u"a\nb"}, {u" S", u"k"},    {u"S ", u"k"},
      {u"S\r\nT", u"k"}, {u"S\n", u"k"},
  };
  for (const auto& c : cases) {
    IniDocument doc(kSample);
    EXPECT_FALSE(doc.Set(c.section, c.key, u"v"));
    EXPECT_EQ(doc.Serialize(), kSample);
  }
}

std::optional<std::u16string> RoundTrip(const std::u16string& value) {
  IniDocument doc(kSample);
  if (!doc.Set(u"Option", u"Value", value)) return std::nullopt;
  return IniDocument(doc.Serialize()).Get(u"Option", u"Value");
}

TEST(IniDocumentSet, EveryValueWithoutLineBreaksReadsBackExactly) {
  const std::u16string tricky[] = {
      u"",          u" ",        u"\t",       u"  lead",    u"trail\t",    u"\"",       u"'",
      u"\"\"",      u"''",       u"\"q\"",    u"'q'",       u"\"q'",       u"'q\"",     u"\" padded \"",
      u"a\"b\"c",   u"=",        u"==x",      u";comment",  u"[S]",        u"[S",       u"a]",
      u"\v\f",      u"\u3000",   u"C:\\データ\\受信", u"D:\\한글\\\U0001F4C1", std::u16string(1, u'\0'),
      std::u16string(1, char16_t(0xD800)) + u"x" + std::u16string(1, char16_t(0xDC00)),
  };
  for (const auto& value : tricky) EXPECT_EQ(RoundTrip(value), value);

  // Every short value made of the characters that reading trims, unquotes or splits on.
  const std::u16string alphabet = u" \t\"'a=;[";
  std::u16string value;
  for (size_t length = 1; length <= 4; ++length) {
    size_t count = 1;
    for (size_t i = 0; i < length; ++i) count *= alphabet.size();
    for (size_t n = 0; n < count; ++n) {
      value.clear();
      for (size_t i = 0, rest = n; i < length; ++i, rest /= alphabet.size()) value += alphabet[rest % alphabet.size()];
      ASSERT_EQ(RoundTrip(value), value);
    }
  }
}

TEST(IniDocumentSet, QuotesOnlyWhenReadingWouldChangeTheValue) {
  IniDocument doc;
  doc.Set(u"S", u"a", u"C:\\Program Files\\x");
  doc.Set(u"S", u"b", u"it's");
  doc.Set(u"S", u"c", u" x");
  doc.Set(u"S", u"d", u"'x'");
  EXPECT_EQ(doc.Serialize(), u"[S]\r\na=C:\\Program Files\\x\r\nb=it's\r\nc=\" x\"\r\nd=\"'x'\"\r\n");
}

TEST(IniDocumentRemoveSection, RemovesEveryDuplicateAndLeavesTheRest) {
  IniDocument doc(
      u"top=1\r\n[Source]\r\n0=a\r\n; old\r\n[Keep]\r\nk=v\r\n[SOURCE]\r\n1=b\r\n[Tail]\r\nt=1\r\n[source]\r\n");
  doc.RemoveSection(u"Source");
  EXPECT_EQ(doc.Serialize(), u"top=1\r\n[Keep]\r\nk=v\r\n[Tail]\r\nt=1\r\n");
  EXPECT_EQ(doc.Get(u"Source", u"0"), std::nullopt);
  EXPECT_EQ(doc.Get(u"Source", u"1"), std::nullopt);
  EXPECT_EQ(doc.Get(u"Tail", u"t"), u"1");

  doc.RemoveSection(u"Absent");
  EXPECT_EQ(doc.Serialize(), u"top=1\r\n[Keep]\r\nk=v\r\n[Tail]\r\nt=1\r\n");

  ASSERT_TRUE(doc.Set(u"Source", u"0", u"c"));
  EXPECT_EQ(doc.Serialize(), u"top=1\r\n[Keep]\r\nk=v\r\n[Tail]\r\nt=1\r\n[Source]\r\n0=c\r\n");
  EXPECT_EQ(doc.Get(u"Keep", u"k"), u"v");
}

}  // namespace
}  // namespace savrin
