#include "platform/path_text.h"

#include <gtest/gtest.h>

#include "platform/utf.h"
#include "sorting/path_compare.h"

namespace savrin {
namespace {

TEST(RootLength, Table) {
  const struct {
    std::u16string path;
    size_t root;
  } cases[] = {
      {u"C:\\in\\a.txt", 3},
      {u"C:/in", 3},
      {u"C:", 2},
      {u"\\\\server\\share\\in\\a.txt", 15},
      {u"\\\\server\\share", 14},
      {u"//server/share/x", 15},
      {u"\\\\?\\C:\\in", 7},
      {u"\\\\?\\UNC\\server\\share\\in", 21},
      {u"/tmp/in", 1},
      {u"in\\a.txt", 0},
      {u"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(RootLength(c.path), c.root) << EncodeUtf8(c.path);
}

TEST(SplitAtLastSeparator, Table) {
  const struct {
    std::u16string path;
    std::u16string folder;
    std::u16string name;
  } cases[] = {
      {u"C:\\in\\*.pdf", u"C:\\in", u"*.pdf"},
      {u"D:\\out\\", u"D:\\out", u""},
      {u"D:\\out\\\\", u"D:\\out", u""},
      {u"C:\\a.txt", u"C:\\", u"a.txt"},
      {u"C:\\", u"C:\\", u""},
      {u"\\\\server\\share\\a.txt", u"\\\\server\\share\\", u"a.txt"},
      {u"\\\\server\\share\\", u"\\\\server\\share\\", u""},
      {u"/tmp/x/a.txt", u"/tmp/x", u"a.txt"},
      {u"/a.txt", u"/", u"a.txt"},
      {u"C:/in/sub\\a.txt", u"C:/in/sub", u"a.txt"},
      {u"a.txt", u"", u"a.txt"},
  };
  for (const auto& c : cases) {
    const PathSplit split = SplitAtLastSeparator(c.path);
    EXPECT_EQ(split.Folder, c.folder) << EncodeUtf8(c.path);
    EXPECT_EQ(split.Name, c.name) << EncodeUtf8(c.path);
  }
}

TEST(JoinPath, UsesTheFoldersOwnSeparatorAndNeverDoublesOne) {
  EXPECT_EQ(JoinPath(u"C:\\out", u"a.txt"), u"C:\\out\\a.txt");
  EXPECT_EQ(JoinPath(u"C:\\", u"a.txt"), u"C:\\a.txt");
  EXPECT_EQ(JoinPath(u"/tmp/out", u"a.txt"), u"/tmp/out/a.txt");
  EXPECT_EQ(JoinPath(u"/", u"a.txt"), u"/a.txt");
  EXPECT_EQ(JoinPath(u"out", u"a.txt"), u"out\\a.txt");
}

TEST(TrimTrailingSeparators, KeepsARootWhole) {
  EXPECT_EQ(TrimTrailingSeparators(u"D:\\out\\"), u"D:\\out");
  EXPECT_EQ(TrimTrailingSeparators(u"D:\\"), u"D:\\");
  EXPECT_EQ(TrimTrailingSeparators(u"/"), u"/");
  EXPECT_EQ(TrimTrailingSeparators(u"/tmp//"), u"/tmp");
}

TEST(ComparablePath, OnePlaceOneText) {
  const std::u16string same[][2] = {
      {u"C:\\in", u"c:/IN/"},
      {u"C:\\in", u"C:\\in\\\\"},
      {u"C:\\in\\sub", u"C:\\in\\.\\x\\..\\sub"},
      {u"\\\\server\\share", u"\\\\SERVER\\share\\"},
      {u"\\\\server\\share\\in", u"//server/share/in/"},
      {u"C:\\", u"C:/"},
      {u"/tmp/in", u"/tmp//in/./"},
      {u"C:\\ｉｎ", u"C:\\ＩＮ"},
  };
  for (const auto& pair : same) EXPECT_EQ(ComparablePath(pair[0]), ComparablePath(pair[1])) << EncodeUtf8(pair[1]);
  EXPECT_NE(ComparablePath(u"C:\\in"), ComparablePath(u"D:\\in"));
  EXPECT_NE(ComparablePath(u"C:\\in"), ComparablePath(u"C:\\in2"));
}

TEST(IsSameOrInside, OnlyWholeComponentsCount) {
  EXPECT_TRUE(IsSameOrInside(u"C:\\in", u"C:\\IN\\"));
  EXPECT_TRUE(IsSameOrInside(u"C:\\in\\sub\\deeper", u"C:\\in"));
  EXPECT_FALSE(IsSameOrInside(u"C:\\inbox", u"C:\\in"));
  EXPECT_FALSE(IsSameOrInside(u"C:\\in", u"C:\\in\\sub"));
  EXPECT_TRUE(IsSameOrInside(u"C:\\in", u"C:\\"));
  EXPECT_TRUE(IsSameOrInside(u"/tmp/a/b", u"/tmp/a"));
}

}  // namespace
}  // namespace savrin
