#include "settings/settings_path.h"

#include <gtest/gtest.h>

namespace savrin {
namespace {

TEST(SettingsPathFor, ReplacesTheLastThreeCharactersBlindly) {
  const struct {
    std::u16string exe, ini;
  } cases[] = {
      {u"D:\\Tools\\sorter.exe", u"D:\\Tools\\sorter.ini"},
      {u"D:\\Tools\\sorter", u"D:\\Tools\\sorini"},
      {u"C:\\ツール\\振り分け.EXE", u"C:\\ツール\\振り分け.ini"},
      {u"\\\\server\\share\\s.exe", u"\\\\server\\share\\s.ini"},
      {u"abc", u"ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(SettingsPathFor(c.exe), c.ini) << std::string(c.exe.begin(), c.exe.end());
}

TEST(SettingsPathFor, PathsTooShortForAnExecutableGiveNoPath) {
  EXPECT_EQ(SettingsPathFor(u""), u"");
  EXPECT_EQ(SettingsPathFor(u"a"), u"");
  EXPECT_EQ(SettingsPathFor(u"ab"), u"");
}

}  // namespace
}  // namespace savrin
