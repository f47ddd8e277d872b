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
    EXPECT_EQ(NumberOfName(c.expected, c.name, c.isFolder), c.number) << EncodeUtf8(c.expected);
  }
  const struct {
    std::u16string candidate;
    std::u16string name;
    bool isFolder;
    unsigned number;
  } back[] = {
      {u"report.pdf", u"report.pdf", false, 1},     {u"report (1).pdf", u"report.pdf", false, 0},
      {u"report (02).pdf", u"report.pdf", false, 0}, {u"report (2)", u"report.pdf", false, 0},
      {u"report (x).pdf", u"report.pdf", false, 0},  {u"report ().pdf", u"report.pdf", false, 0},
      {u"report (2) (2).pdf", u"report (2).pdf", false, 2}, {u"report (2) (2).pdf", u"report.pdf", false, 0},
      {u"album (2)", u"album", false, 2},           {u"2005.04 (2)", u"2005.04", false, 0},
      {u"report.pdf (2)", u"report.pdf", true, 2},
  };
  for (const auto& c : back) {
    EXPECT_EQ(NumberOfName(c.candidate, c.name, c.isFolder), c.number) << EncodeUtf8(c.candidate);
  }
}

TEST(TemporaryName, OnlyTheExactFormsAreOurs) {
  EXPECT_EQ(TemporaryName(0x0123456789abcdefu), u"~savrin-0123456789abcdef.part");
  EXPECT_EQ(KindOfTemporaryName(TemporaryName(0)), TemporaryKind::Current);
  EXPECT_EQ(KindOfTemporaryName(TemporaryName(~uint64_t{0})), TemporaryKind::Current);
  EXPECT_EQ(KindOfTemporaryName(u"~SAVRIN-0123456789ABCDEF.PART"), TemporaryKind::Current);
  // What installed copies of the engine before left; kept, but never matched.
  EXPECT_EQ(KindOfTemporaryName(u"~savrin-0123456789abcdef.tmp"), TemporaryKind::Earlier);
  EXPECT_EQ(KindOfTemporaryName(u"~SAVRIN-0123456789ABCDEF.TMP"), TemporaryKind::Earlier);
  for (const char16_t* name : {u"~savrin-notes.tmp", u"~savrin-0123456789abcdeg.part", u"~savrin-0123456789abcdef.tmp.pdf",
                               u"savrin-0123456789abcdef.part", u"~savrin-0123456789abcde.part",
                               u"~savrin-0123456789abcdef0.part", u"~savrin-0123456789abcdef.parts"}) {
    EXPECT_FALSE(IsTemporaryName(name)) << EncodeUtf8(name);
  }
}

}  // namespace
}  // namespace savrin
