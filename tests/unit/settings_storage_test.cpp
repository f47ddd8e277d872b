#include "settings/settings_storage.h"

#include <gtest/gtest.h>

#include "platform/settings_file.h"
#include "settings/settings_load.h"
#include "settings/settings_save.h"
#include "settings/settings_start.h"
#include "temp_folder.h"
#include "tests/shared/settings_invariants.h"

namespace savrin {
namespace {

TEST(SettingsStorage, WritesUtf16AndReadsBackTheSameDocument) {
  TempFolder folder;
  const std::u16string path = folder.File(u"sorter.ini");
  IniDocument doc(u"; 設定\r\n[Option]\r\nTime=60\r\n");
  SettingsSnapshot snapshot;
  snapshot.Rules = {{u"C:\\データ", u"D:\\한글\\\U0001F4C1", u"*.pdf", 65793}};
  SaveAllSettings(doc, snapshot);
  ASSERT_TRUE(WriteSettingsDocument(path, doc).IsOk());
  EXPECT_EQ(ReadWholeFile(path).value_or("").substr(0, 4), std::string("\xFF\xFE;\0", 4));
  const SettingsAtStart read = ReadSettingsAtStart(path, u"20261209-183000", invariants::DecodeLatin1);
  EXPECT_TRUE(read.FileRead);
  EXPECT_TRUE(read.Writable);
  const IniDocument& back = read.Document;
  EXPECT_EQ(back.Serialize(), doc.Serialize());
  EXPECT_EQ(LoadSettings(back).Rules, snapshot.Rules);
}

TEST(SettingsStorage, AMissingFileIsAnEmptyDocument) {
  TempFolder folder;
  for (const std::u16string& path : {folder.File(u"none.ini"), std::u16string()}) {
    const SettingsAtStart read = ReadSettingsAtStart(path, u"20261209-183000", invariants::DecodeLatin1);
    EXPECT_EQ(read.Document.Serialize(), u"");
    EXPECT_FALSE(read.FileRead);
    EXPECT_TRUE(read.Writable);
    EXPECT_EQ(read.KeptAside, u"");
  }
  EXPECT_TRUE(folder.Names().empty()) << "nothing made, nothing moved";
}

// Something under the file's name that no read gets through (a folder
// here): after the retries it is moved aside on the real disk, and the
// session may write a fresh file.
TEST(SettingsStorage, WhatCannotBeReadIsMovedAsideOnTheDisk) {
  TempFolder folder;
  const std::u16string path = folder.File(u"sorter.ini");
  std::filesystem::create_directory(std::filesystem::path(path));
  const SettingsAtStart read = ReadSettingsAtStart(path, u"20261209-183000", invariants::DecodeLatin1);
  EXPECT_FALSE(read.FileRead);
  EXPECT_TRUE(read.Writable);
  EXPECT_EQ(read.KeptAside, folder.File(u"sorter.unreadable-20261209-183000.ini"));
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{u"sorter.unreadable-20261209-183000.ini"});
  EXPECT_TRUE(WriteSettingsDocument(path, IniDocument(u"[Option]\r\n")).IsOk());
}

}  // namespace
}  // namespace savrin
