#include "settings/settings_save.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "settings/settings_load.h"
#include "settings/window_rect.h"

namespace savrin {
namespace {

using Entries = std::vector<std::pair<std::u16string, std::u16string>>;
using Sections = std::map<std::u16string, Entries>;

// What a written file holds, section by section, entries in file order. The
// values these tests write need no quoting, so a plain split is enough.
Sections SectionsOf(const IniDocument& doc) {
  Sections sections;
  Entries* current = nullptr;
  const std::u16string text = doc.Serialize();
  for (size_t begin = 0, end; begin < text.size(); begin = end + 2) {
    end = text.find(u"\r\n", begin);
    const std::u16string line = text.substr(begin, end - begin);
    if (line.empty() || line.front() == u';') continue;
    if (line.front() == u'[') {
      EXPECT_EQ(sections.count(line.substr(1, line.size() - 2)), 0u) << "section written twice";
      current = &sections[line.substr(1, line.size() - 2)];
    } else if (current != nullptr) {
      const size_t equals = line.find(u'=');
      current->emplace_back(line.substr(0, equals), line.substr(equals + 1));
    } else {
      ADD_FAILURE() << "entry outside any section";
    }
  }
  return sections;
}

SettingsSnapshot ExampleSnapshot() {
  SettingsSnapshot snapshot;
  snapshot.Rules = {
      {u"C:\\Users\\user\\Downloads", u"D:\\Archive\\PDF", u"*.pdf", 65793},
      {u"C:\\Users\\user\\Desktop", u"D:\\Archive\\Photos", u"photo.jpg", 0},
  };
  snapshot.History = {u"*.pdf", u"photo.jpg"};
  snapshot.IntervalSeconds = 60;
  snapshot.MonitoringStopped = 0;
  snapshot.HiddenInTray = 0;
  snapshot.ColumnWidths = {234, 234, 119};
  return snapshot;
}

TEST(SaveAllSettings, WritesTheExampleStateExactly) {
  IniDocument doc;
  SaveAllSettings(doc, ExampleSnapshot());
  WriteWindowRect(doc, WindowRect{342, 211, 938, 738});
  const Sections expected = {
      {u"Source", {{u"0", u"C:\\Users\\user\\Downloads"}, {u"1", u"C:\\Users\\user\\Desktop"}}},
      {u"Destination", {{u"0", u"D:\\Archive\\PDF"}, {u"1", u"D:\\Archive\\Photos"}}},
      {u"Pattern", {{u"0", u"*.pdf"}, {u"1", u"photo.jpg"}}},
      {u"Condition", {{u"0", u"65793"}, {u"1", u"0"}}},
      {u"FilenamePattern", {{u"0", u"*.pdf"}, {u"1", u"photo.jpg"}}},
      {u"Option",
       {{u"Time", u"60"}, {u"Status", u"0"}, {u"Minimized", u"0"}, {u"Top", u"211"}, {u"Left", u"342"},
        {u"Right", u"938"}, {u"Bottom", u"738"}}},
      {u"Column", {{u"1", u"234"}, {u"2", u"234"}, {u"3", u"119"}}},
  };
  EXPECT_EQ(SectionsOf(doc), expected);
}

TEST(SaveAllSettings, WhatItWritesLoadsBackEqual) {
  SettingsSnapshot snapshot = ExampleSnapshot();
  snapshot.Rules.push_back({u" C:\\先頭に空白", u"'D:\\한글\\\U0001F4C1'", u"\"*.txt\"", 0xFFFF0000u});
  snapshot.Rules.push_back({u"E:\\x=y;z", u"[F]", u"a b\t", 0x80000000u});
  snapshot.History = {u" lead", u"trail ", u"'q'", u"データ*.csv"};
  snapshot.IntervalSeconds = -7;
  snapshot.MonitoringStopped = 1;
  snapshot.HiddenInTray = 1;
  snapshot.ColumnWidths = {0, 65535, 1};
  IniDocument doc;
  SaveAllSettings(doc, snapshot);
  const LoadedSettings loaded = LoadSettings(IniDocument(doc.Serialize()));
  EXPECT_EQ(loaded.Rules, snapshot.Rules);
  EXPECT_EQ(loaded.History, snapshot.History);
  EXPECT_EQ(loaded.IntervalSeconds, -7);
  EXPECT_EQ(loaded.MonitoringStopped, 1);
  EXPECT_EQ(loaded.HiddenInTray, 1);
  EXPECT_EQ(loaded.ColumnWidths, (std::array<std::optional<int>, 3>{0, 65535, 1}));
}

TEST(SaveAllSettings, ConditionWordsAreWrittenAsSignedDecimals) {
  SettingsSnapshot snapshot;
  snapshot.Rules = {{u"a", u"b", u"c", 0xFFFF0000u}, {u"a", u"b", u"c", 0x80000000u}, {u"a", u"b", u"c", 0x7FFFFFFFu},
                    {u"a", u"b", u"c", 0xFFFFFFFFu}};
  IniDocument doc;
  SaveAllSettings(doc, snapshot);
  EXPECT_EQ(SectionsOf(doc)[u"Condition"],
            (Entries{{u"0", u"-65536"}, {u"1", u"-2147483648"}, {u"2", u"2147483647"}, {u"3", u"-1"}}));
}

TEST(SaveAllSettings, DeletedRulesAndHistoryEntriesLeaveNoStaleKeys) {
  SettingsSnapshot snapshot = ExampleSnapshot();
  snapshot.Rules.push_back({u"C:\\third", u"D:\\third", u"*.txt", 1});
  snapshot.History = {u"a", u"b", u"c", u"d", u"e"};
  IniDocument doc;
  SaveAllSettings(doc, snapshot);
  ASSERT_EQ(LoadSettings(doc).Rules.size(), 3u);

  snapshot.Rules.pop_back();
  snapshot.History = {u"x", u"y"};
  SaveAllSettings(doc, snapshot);
  Sections sections = SectionsOf(doc);
  for (const auto name : {u"Source", u"Destination", u"Pattern", u"Condition"}) {
    ASSERT_EQ(sections[name].size(), 2u) << std::string(name, name + 1);
    EXPECT_EQ(sections[name][0].first, u"0");
    EXPECT_EQ(sections[name][1].first, u"1");
  }
  EXPECT_EQ(sections[u"FilenamePattern"], (Entries{{u"0", u"x"}, {u"1", u"y"}}));
  EXPECT_EQ(LoadSettings(doc).Rules, ExampleSnapshot().Rules);

  snapshot.Rules.clear();
  snapshot.History.clear();
  SaveAllSettings(doc, snapshot);
  sections = SectionsOf(doc);
  for (const auto name : {u"Source", u"Destination", u"Pattern", u"Condition", u"FilenamePattern"}) {
    EXPECT_EQ(sections.count(name), 0u);
  }
}

TEST(SaveAllSettings, LeavesTheWindowPositionAndForeignLinesAlone) {
  const std::u16string before =
      u"; kept comment\r\n[Option]\r\nTop=5\r\nLeft=6\r\nRight=7\r\nBottom=8\r\nLanguage=ja\r\n"
      u"[Source]\r\n0=old\r\n5=stale\r\n[Other]\r\nx=1\r\n[source]\r\n9=duplicate\r\n";
  IniDocument doc(before);
  SaveAllSettings(doc, ExampleSnapshot());
  EXPECT_EQ(ReadWindowRect(doc), (WindowRect{6, 5, 7, 8}));
  EXPECT_EQ(doc.Get(u"Option", u"Language"), u"ja");
  EXPECT_EQ(doc.Get(u"Other", u"x"), u"1");
  const std::u16string text = doc.Serialize();
  EXPECT_EQ(text.rfind(u"; kept comment\r\n[Option]\r\nTop=5\r\nLeft=6\r\nRight=7\r\nBottom=8\r\nLanguage=ja\r\n"
                       u"Time=60\r\nStatus=0\r\nMinimized=0\r\n",
                       0),
            0u);
  const Sections sections = SectionsOf(doc);
  EXPECT_EQ(sections.at(u"Source"), (Entries{{u"0", u"C:\\Users\\user\\Downloads"}, {u"1", u"C:\\Users\\user\\Desktop"}}));
  EXPECT_EQ(sections.count(u"source"), 0u);

  IniDocument fresh;
  SaveAllSettings(fresh, ExampleSnapshot());
  EXPECT_EQ(fresh.Get(u"Option", u"Top"), std::nullopt);
  EXPECT_EQ(fresh.Get(u"Option", u"Bottom"), std::nullopt);
}

TEST(SaveAllSettings, TextsAreCutAt260Characters) {
  const std::u16string longText = std::u16string(259, u'a') + u"bc";
  SettingsSnapshot snapshot;
  snapshot.Rules = {{longText, longText, longText, 0}};
  snapshot.History = {longText};
  IniDocument doc;
  SaveAllSettings(doc, snapshot);
  const std::u16string cut = longText.substr(0, 260);
  for (const auto name : {u"Source", u"Destination", u"Pattern", u"FilenamePattern"}) {
    EXPECT_EQ(IniDocument(doc.Serialize()).Get(name, u"0"), cut);
  }
}

}  // namespace
}  // namespace savrin
