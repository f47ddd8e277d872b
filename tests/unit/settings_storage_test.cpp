#include "settings/settings_storage.h"

#include <gtest/gtest.h>

#include "platform/settings_file.h"
#include "settings/settings_load.h"
#include "settings/settings_save.h"
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
  const IniDocument back = ReadSettingsDocument(path, invariants::DecodeLatin1);
  EXPECT_EQ(back.Serialize(), doc.Serialize());
  EXPECT_EQ(LoadSettings(back).Rules, snapshot.Rules);
}

TEST(SettingsStorage, AMissingFileIsAnEmptyDocument) {
  TempFolder folder;
  EXPECT_EQ(ReadSettingsDocument(folder.File(u"none.ini"), invariants::DecodeLatin1).Serialize(), u"");
  EXPECT_EQ(ReadSettingsDocument(u"", invariants::DecodeLatin1).Serialize(), u"");
}

}  // namespace
}  // namespace savrin
