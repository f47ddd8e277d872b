#include "sorting/name_match.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/utf.h"

namespace savrin {
namespace {

struct MatchCase {
  std::u16string pattern;
  std::u16string name;
  bool matches;
};

std::string Show(const MatchCase& c) {
  return "pattern \"" + EncodeUtf8(c.pattern) + "\" name \"" + EncodeUtf8(c.name) + "\"";
}

TEST(NameMatches, Table) {
  const MatchCase cases[] = {
      // Long names only: a short name PAGE~1.HTM must not make *.htm take page.html.
      {u"*.htm", u"page.html", false},
      {u"*.htm", u"page.htm", true},
      {u"*.HTM", u"page.htm", true},
      {u"*.htm", u"PAGE.HTM", true},
      {u"*.htm?", u"page.html", true},
      // '*' takes any run, none included.
      {u"*", u"anything at all", true},
      {u"*.txt", u".txt", true},
      {u"*.txt", u"notes.txt", true},
      {u"*.txt", u"notes.txt.bak", false},
      {u"a*b", u"ab", true},
      {u"a*b", u"axxb", true},
      {u"a*b", u"axxbc", false},
      {u"*a*a*a*a*b", u"aaaab", true},
      {u"*a*a*a*a*b", u"aaaa", false},
      // '?' is exactly one.
      {u"a?c", u"abc", true},
      {u"a?c", u"ac", false},
      {u"a?c", u"abbc", false},
      {u"???", u"abc", true},
      // ...but before a dot or at the end of the name it may take none, as on Windows.
      {u"???", u"ab", true},
      {u"???", u"abcd", false},
      {u"a?.txt", u"a.txt", true},
      {u"a?.txt", u"ab.txt", true},
      {u"a?.txt", u"abc.txt", false},
      {u"??.txt", u"a.txt", true},
      {u"??.txt", u".txt", true},
      {u"a?b", u"ab", false},
      {u"*.tx?", u"a.tx", true},
      // "*." takes exactly the names without a dot.
      {u"*.", u"README", true},
      {u"*.", u"notes~", true},
      {u"*.", u"a.txt", false},
      {u"*.", u".profile", false},
      {u"a*.", u"abc", true},
      {u"a*.", u"abc.d", false},
      // Trailing dots and spaces go before anything else, as Win32 drops them.
      {u"*.pdf ", u"a.pdf", true},
      {u"*.pdf ", u"B.PDF", true},
      {u"*.pdf ", u"a.pdf.txt", false},
      {u"*.pdf . ", u"a.pdf", true},
      {u"*.txt.", u"a.txt", true},
      {u"*.txt.", u"a.txt.", false},
      {u"a?. ", u"ab", true},
      {u"a?. ", u"a", true},
      {u"a?. ", u"a.b", false},
      {u"* ", u"a.txt", true},
      // ...but a pattern that ended in a dot keeps what "*." means for a '*' left at its end.
      {u"*..", u"README", true},
      {u"*..", u"a.txt", false},
      {u"* .", u"README", true},
      {u"* .", u"a.txt", false},
      {u"?..", u"a", true},
      {u"?..", u"ab", false},
      {u"?..", u"a.b", false},
      {u"a.*.", u"a.b", true},
      {u"a.*.", u"a.b.c", false},
      {u"a.*", u"a.b.c", true},
      // A space last means the pattern did not end in a dot.
      {u"*. ", u"README", true},
      {u"*. ", u"a.txt", true},
      // "*.*" stays every name, with a dot after it or not.
      {u"*.*.", u"a.txt", true},
      // Only U+0020 is a space here; an ideographic one is part of the pattern.
      {u"*.pdf\u3000", u"a.pdf", false},
      {u"*.pdf\u3000", u"a.pdf\u3000", true},
      // A leading or inner space stays.
      {u" *.pdf", u"a.pdf", false},
      {u"* .pdf", u"a .pdf", true},
      {u"* .pdf", u"a.pdf", false},
      // A ".*" may match nothing wherever it stands before the end of another ".*".
      {u"*.*.*", u"README", true},
      {u"*.*.*", u"a.b", true},
      {u"*.*.*", u"a.b.c", true},
      {u"*.*.", u"README", true},
      {u"*.?", u"README", true},
      {u"*.?", u"a.b", true},
      {u"*.?", u"a.bc", false},
      // DOS_STAR keeps the last dot for what follows it.
      {u"*.gz", u"a.tar.gz", true},
      {u"a*.tar.gz", u"a.b.tar.gz", true},
      {u"*a.b", u"a.a.b", true},
      // A trailing ".*" may match nothing at all.
      {u"*.*", u"README", true},
      {u"*.*", u"report.pdf", true},
      {u"*.*", u".profile", true},
      {u"report.*", u"report", true},
      {u"report.*", u"report.txt", true},
      {u"report.*", u"report.tar.gz", true},
      {u"report.*", u"reports", false},
      {u"report.*", u"report.", true},
      {u"report.*", u"report2.txt", false},
      {u"*.tar.*", u"a.tar", true},
      {u"*.tar.*", u"a.tar.gz", true},
      {u"*.pdf", u"report", false},
      // Full-width Latin letters fold like ASCII ones.
      {u"*.ＰＤＦ", u"報告.ｐｄｆ", true},
      {u"ｒｅｐｏｒｔ.txt", u"ＲＥＰＯＲＴ.TXT", true},
      {u"*.pdf", u"報告.ｐｄｆ", false},
      // Japanese names: kana and kanji compare as they are.
      {u"報告書*.xls", u"報告書_2005年4月.xls", true},
      {u"報告書*.xls", u"報告_2005.xls", false},
      {u"?月.txt", u"四月.txt", true},
      {u"ひらがな.txt", u"ヒラガナ.txt", false},
      {u"データ.csv", u"ﾃﾞｰﾀ.csv", false},
      // Accented, Greek and Cyrillic letters fold too.
      {u"café.txt", u"CAFÉ.TXT", true},
      {u"αβγ.txt", u"ΑΒΓ.txt", true},
      {u"отчёт*", u"ОТЧЁТ.doc", true},
      // No wildcard: the whole name, case aside.
      {u"report.doc", u"report.doc", true},
      {u"report.doc", u"REPORT.DOC", true},
      {u"report.doc", u"report.docx", false},
      {u"report.doc", u"my report.doc", false},
      {u"report", u"report.doc", false},
      // A plain name without its trailing dots and spaces, as Win32 would open it.
      {u"report.doc ", u"report.doc", true},
      {u"report.doc. .", u"REPORT.DOC", true},
      {u"report.doc ", u"report.doc ", false},
      {u"report.", u"report", true},
      {u"report.", u"report.", false},
      {u"...", u"...", false},
      {u" report.doc", u"report.doc", false},
      // A character outside the BMP is two UTF-16 units, so two '?'.
      {u"?.txt", u"\U0001F4C1.txt", false},
      {u"??.txt", u"\U0001F4C1.txt", true},
  };
  for (const MatchCase& c : cases) EXPECT_EQ(NameMatches(c.pattern, c.name), c.matches) << Show(c);
}

TEST(NameMatches, ManyStarsAgainstALongNameStayFast) {
  const std::u16string name(20000, u'a');
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(NameMatches(u"*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(NameMatches(u"*a*a*a*a*a*a*a*a*", name));
  EXPECT_FALSE(NameMatches(u"*a?a*a*a??a*c*a*b", name));
  // Exponential backtracking would take longer than the age of the universe.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(HasWildcard, StarOrQuestionMarkMakeAPattern) {
  EXPECT_TRUE(HasWildcard(u"*.pdf"));
  EXPECT_TRUE(HasWildcard(u"a?c"));
  EXPECT_FALSE(HasWildcard(u"report.doc"));
  EXPECT_FALSE(HasWildcard(u""));
}

}  // namespace
}  // namespace savrin
