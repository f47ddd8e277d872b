#include "sorting/numbered_name.h"

#include <gtest/gtest.h>

#include "platform/utf.h"
#include "sorting/temporary_name.h"

namespace savrin {
namespace {

TEST(NumberedName, Table) {
  const struct {
    std::u16string name;
    unsigned number;
    bool isFolder;
    std::u16string expected;
  } cases[] = {
      {u"report.pdf", 2, false, u"report (2).pdf"},
      {u"report.pdf", 10000, false, u"report (10000).pdf"},
      {u"README", 2, false, u"README (2)"},
      {u".profile", 2, false, u".profile (2)"},
      {u"a.tar.gz", 2, false, u"a.tar (2).gz"},
      {u"報告書.xls", 3, false, u"報告書 (3).xls"},
      {u"2005.04", 2, true, u"2005.04 (2)"},
      {u"album", 2, true, u"album (2)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NumberedName(c.name, c.number, c.isFolder), c.expected) << EncodeUtf8(c.name) << " " << c.number;
  }
}

TEST(TemporaryName, OnlyTheExactFormIsOurs) {
  EXPECT_EQ(TemporaryName(0x0123456789abcdefu), u"~savrin-0123456789abcdef.tmp");
  EXPECT_TRUE(IsTemporaryName(TemporaryName(0)));
  EXPECT_TRUE(IsTemporaryName(TemporaryName(~uint64_t{0})));
  EXPECT_TRUE(IsTemporaryName(u"~SAVRIN-0123456789ABCDEF.TMP"));
  EXPECT_FALSE(IsTemporaryName(u"~savrin-notes.tmp"));
  EXPECT_FALSE(IsTemporaryName(u"~savrin-0123456789abcdeg.tmp"));
  EXPECT_FALSE(IsTemporaryName(u"~savrin-0123456789abcdef.tmp.pdf"));
  EXPECT_FALSE(IsTemporaryName(u"savrin-0123456789abcdef.tmp"));
  EXPECT_FALSE(IsTemporaryName(u"~savrin-0123456789abcde.tmp"));
}

}  // namespace
}  // namespace savrin
