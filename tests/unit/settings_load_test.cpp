#include "settings/settings_load.h"

#include <gtest/gtest.h>

namespace savrin {
namespace {

LoadedSettings Load(const std::u16string& text) { return LoadSettings(IniDocument(text)); }

SortRule SourceOnly(const std::u16string& source) { return SortRule{source, {}, {}, 0}; }

const std::u16string kExampleFile =
    u"[Source]\r\n0=C:\\Users\\user\\Downloads\r\n1=C:\\Users\\user\\Desktop\r\n"
    u"[Destination]\r\n0=D:\\Archive\\PDF\r\n1=D:\\Archive\\Photos\r\n"
    u"[Pattern]\r\n0=*.pdf\r\n1=photo.jpg\r\n"
    u"[Condition]\r\n0=65793\r\n1=0\r\n"
    u"[FilenamePattern]\r\n0=*.pdf\r\n1=photo.jpg\r\n"
    u"[Option]\r\nTime=60\r\nStatus=0\r\nMinimized=0\r\nTop=211\r\nLeft=342\r\nRight=938\r\nBottom=738\r\n"
    u"[Column]\r\n1=234\r\n2=234\r\n3=119\r\n";

TEST(LoadSettings, ReadsTheWholeState) {
  const LoadedSettings loaded = Load(kExampleFile);
  EXPECT_EQ(loaded.Rules, (std::vector<SortRule>{
                              {u"C:\\Users\\user\\Downloads", u"D:\\Archive\\PDF", u"*.pdf", 65793},
                              {u"C:\\Users\\user\\Desktop", u"D:\\Archive\\Photos", u"photo.jpg", 0},
                          }));
  EXPECT_EQ(loaded.History, (std::vector<std::u16string>{u"*.pdf", u"photo.jpg"}));
  EXPECT_EQ(loaded.IntervalSeconds, 60);
  EXPECT_EQ(loaded.MonitoringStopped, 0);
  EXPECT_EQ(loaded.HiddenInTray, 0);
  EXPECT_EQ(loaded.ColumnWidths, (std::array<std::optional<int>, 3>{234, 234, 119}));
}

TEST(LoadSettings, AnEmptyFileGivesTheDefaults) {
  const LoadedSettings loaded = Load(u"");
  EXPECT_TRUE(loaded.Rules.empty());
  EXPECT_TRUE(loaded.History.empty());
  EXPECT_EQ(loaded.IntervalSeconds, 60);
  EXPECT_EQ(loaded.MonitoringStopped, 1);
  EXPECT_EQ(loaded.HiddenInTray, 0);
  EXPECT_EQ(loaded.ColumnWidths, (std::array<std::optional<int>, 3>{}));
}

struct RulesCase {
  const char* what;
  std::u16string text;
  std::vector<SortRule> rules;
};

TEST(LoadSettings, RulesStopAtTheFirstGapOrDamage) {
  const RulesCase cases[] = {
      {"a gap ends the list",
       u"[Source]\n0=a\n1=b\n3=d\n[Destination]\n0=A\n1=B\n3=D\n[Pattern]\n0=p\n1=p\n3=p\n[Condition]\n0=1\n1=2\n3=4",
       {{u"a", u"A", u"p", 1}, {u"b", u"B", u"p", 2}}},
      {"source without destination: one source-only row, then stop",
       u"[Source]\n0=a\n1=b\n[Destination]\n1=B\n[Pattern]\n0=p\n1=p\n[Condition]\n0=1\n1=2",
       {SourceOnly(u"a")}},
      {"empty destination",
       u"[Source]\n0=a\n1=b\n[Destination]\n0=A\n1=\n[Pattern]\n0=p\n1=p\n[Condition]\n0=1\n1=2",
       {{u"a", u"A", u"p", 1}, SourceOnly(u"b")}},
      {"absent pattern", u"[Source]\n0=a\n1=b\n[Destination]\n0=A\n1=B\n[Condition]\n0=1\n1=2", {SourceOnly(u"a")}},
      {"empty pattern", u"[Source]\n0=a\n[Destination]\n0=A\n[Pattern]\n0=\n[Condition]\n0=1", {SourceOnly(u"a")}},
      {"absent condition", u"[Source]\n0=a\n[Destination]\n0=A\n[Pattern]\n0=p", {SourceOnly(u"a")}},
      {"empty condition", u"[Source]\n0=a\n[Destination]\n0=A\n[Pattern]\n0=p\n[Condition]\n0=", {SourceOnly(u"a")}},
      {"condition without a number is word 0 and loading goes on",
       u"[Source]\n0=a\n1=b\n[Destination]\n0=A\n1=B\n[Pattern]\n0=p\n1=q\n[Condition]\n0=copy\n1=65536x",
       {{u"a", u"A", u"p", 0}, {u"b", u"B", u"q", 65536}}},
      {"negative condition keeps its 32 bits",
       u"[Source]\n0=a\n1=b\n[Destination]\n0=A\n1=B\n[Pattern]\n0=p\n1=q\n[Condition]\n0=-65536\n1=4294901760",
       {{u"a", u"A", u"p", 0xFFFF0000u}, {u"b", u"B", u"q", 0xFFFF0000u}}},
      {"empty first source: no rules", u"[Source]\n0=\n1=b\n[Destination]\n1=B\n[Pattern]\n1=p\n[Condition]\n1=1", {}},
      {"keys are exact decimals", u"[Source]\n00=a\n[Destination]\n00=A\n[Pattern]\n00=p\n[Condition]\n00=1", {}},
      {"quoted values keep their blanks",
       u"[Source]\n0=\" a \"\n[Destination]\n0=' A'\n[Pattern]\n0=\"*.txt \"\n[Condition]\n0=\" 7\"",
       {{u" a ", u" A", u"*.txt ", 7}}},
      {"names in any case", u"[SOURCE]\n0=a\n[destination]\n0=A\n[PatterN]\n0=p\n[condition]\n0=9", {{u"a", u"A", u"p", 9}}},
  };
  for (const auto& c : cases) EXPECT_EQ(Load(c.text).Rules, c.rules) << c.what;
}

TEST(LoadSettings, HistoryRunsUntilTheFirstAbsentOrEmptyEntry) {
  const struct {
    std::u16string text;
    std::vector<std::u16string> history;
  } cases[] = {
      {u"[FilenamePattern]\n0=*.pdf\n1=photo.jpg\n2=*.pdf", {u"*.pdf", u"photo.jpg", u"*.pdf"}},
      {u"[FilenamePattern]\n0=a\n1=\n2=c", {u"a"}},
      {u"[FilenamePattern]\n0=a\n2=c", {u"a"}},
      {u"[FilenamePattern]\n1=b", {}},
      {u"[Pattern]\n0=a", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Load(c.text).History, c.history);
}

TEST(LoadSettings, OptionsTakeTheirDefaultOnlyWhenAbsent) {
  const struct {
    std::u16string option;
    int32_t time, stopped, hidden;
  } cases[] = {
      {u"", 60, 1, 0},
      {u"Time=60abc\nStatus=0\nMinimized=1", 60, 0, 1},
      {u"Time=\nStatus=\nMinimized=", 0, 0, 0},
      {u"Time=abc\nStatus=on\nMinimized=zz", 0, 0, 0},
      {u"Minimized=10", 60, 1, 16},
      {u"Minimized=0x1", 60, 1, 1},
      {u"Minimized=fF", 60, 1, 255},
      {u"Time=0", 0, 1, 0},
      {u"Time=-5", -5, 1, 0},
      {u"Time=5000000", 5000000, 1, 0},
      {u"Time= 90 ", 90, 1, 0},
      {u"Status=2", 60, 2, 0},
      {u"time=30\nSTATUS=0", 30, 0, 0},
  };
  for (const auto& c : cases) {
    const LoadedSettings loaded = Load(u"[Option]\n" + c.option);
    EXPECT_EQ(loaded.IntervalSeconds, c.time) << std::string(c.option.begin(), c.option.end());
    EXPECT_EQ(loaded.MonitoringStopped, c.stopped) << std::string(c.option.begin(), c.option.end());
    EXPECT_EQ(loaded.HiddenInTray, c.hidden) << std::string(c.option.begin(), c.option.end());
  }
}

TEST(LoadSettings, AColumnWidthIsTheLow16BitsOfANumberFromZeroUp) {
  const struct {
    std::u16string value;
    std::optional<int> width;
  } cases[] = {
      {u"234", 234},   {u"0", 0},         {u"-0", 0},     {u"12px", 12},        {u"65535", 65535},
      {u"65536", 0},   {u"65537", 1},     {u"-1", std::nullopt}, {u"-300", std::nullopt},
      {u"", std::nullopt}, {u"wide", std::nullopt}, {u"2147483648", std::nullopt} /* wraps negative */,
  };
  for (const auto& c : cases) {
    const auto loaded = Load(u"[Column]\n1=" + c.value + u"\n3=" + c.value);
    EXPECT_EQ(loaded.ColumnWidths, (std::array<std::optional<int>, 3>{c.width, std::nullopt, c.width}))
        << std::string(c.value.begin(), c.value.end());
  }
}

TEST(LoadSettings, EveryValueIsCutAt260CharactersBeforeUse) {
  const std::u16string longPath = u"C:\\" + std::u16string(300, u'x');
  // The cut leaves "00...07": a reader that used the whole value would see 71.
  const std::u16string longTime = std::u16string(259, u'0') + u"71";
  const LoadedSettings loaded = Load(u"[Source]\n0=" + longPath + u"\n[Destination]\n0=" + longPath +
                                     u"\n[Pattern]\n0=" + longPath + u"\n[Condition]\n0=1\n[FilenamePattern]\n0=" +
                                     longPath + u"\n[Option]\nTime=" + longTime);
  const std::u16string cut = longPath.substr(0, 260);
  EXPECT_EQ(loaded.Rules, (std::vector<SortRule>{{cut, cut, cut, 1}}));
  EXPECT_EQ(loaded.History, std::vector<std::u16string>{cut});
  EXPECT_EQ(loaded.IntervalSeconds, 7);
}

}  // namespace
}  // namespace savrin
