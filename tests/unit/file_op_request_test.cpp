#include "sorting/file_op_request.h"

#include <gtest/gtest.h>

#include "sorting/file_operation.h"

namespace savrin {
namespace {

struct PathCase {
  const char16_t* source;
  const char16_t* destination;
  const char16_t* pattern;
  uint32_t wildcard;
  const char16_t* from;
  const char16_t* to;
  const char16_t* folder;
};

TEST(BuildRequestPaths, ComesOutCharacterForCharacterWithTwoNulsAfterEachPath) {
  const PathCase cases[] = {
      {u"C:\\in", u"D:\\out", u"report.doc", 0, u"C:\\in\\report.doc", u"D:\\out\\report.doc", u"D:\\out\\"},
      {u"C:\\in\\", u"D:\\out\\", u"report.doc", 0, u"C:\\in\\report.doc", u"D:\\out\\report.doc", u"D:\\out\\"},
      {u"C:\\in", u"D:\\out", u"photo?.jpg", 1, u"C:\\in\\photo?.jpg", u"D:\\out\\", u"D:\\out\\"},
      {u"C:\\", u"D:\\out\\2005", u"a*.txt", 1, u"C:\\a*.txt", u"D:\\out\\2005\\", u"D:\\out\\2005\\"},
      // A forward slash counts as a separator for the folder that must exist.
      {u"C:\\in", u"D:/out/x", u"a.txt", 0, u"C:\\in\\a.txt", u"D:/out/x\\a.txt", u"D:/out/x\\"},
      {u"", u"", u"a.txt", 0, u"\\a.txt", u"\\a.txt", u"\\"},
      // A plain name names the target as Win32 would make it, without trailing
      // dots and spaces; the source keeps the condition as typed.
      {u"C:\\in", u"D:\\out", u"report.doc. ", 0, u"C:\\in\\report.doc. ", u"D:\\out\\report.doc", u"D:\\out\\"},
      {u"C:\\in", u"D:\\out", u"*.pdf ", 1, u"C:\\in\\*.pdf ", u"D:\\out\\", u"D:\\out\\"},
  };
  for (const PathCase& c : cases) {
    SCOPED_TRACE(std::string(c.from, c.from + std::char_traits<char16_t>::length(c.from)).c_str());
    FileOpRequest request;
    std::fill(std::begin(request.From), std::end(request.From), u'#');  // stale content must go
    std::fill(std::begin(request.To), std::end(request.To), u'#');
    ASSERT_TRUE(BuildRequestPaths(request, c.source, c.destination, c.pattern, c.wildcard));
    const std::u16string from = c.from;
    const std::u16string to = c.to;
    EXPECT_EQ(BufferText(request.From), from);
    EXPECT_EQ(BufferText(request.To), to);
    EXPECT_EQ(request.From[from.size() + 1], u'\0');
    EXPECT_EQ(request.To[to.size() + 1], u'\0');
    for (size_t i = from.size(); i < kPathBufferChars; ++i) ASSERT_EQ(request.From[i], u'\0') << i;
    EXPECT_EQ(DestinationFolderPath(request), c.folder);
  }
}

TEST(BuildRequestPaths, APathWithoutRoomForTwoNulsPassesTheRuleOver) {
  FileOpRequest request;
  const std::u16string folder255(255, u'f');
  // 255 + "\" + "abc" = 259 characters: the longest that fits.
  EXPECT_TRUE(BuildRequestPaths(request, folder255, u"D:\\out", u"abc", 0));
  EXPECT_EQ(BufferText(request.From).size(), 259u);
  EXPECT_FALSE(BuildRequestPaths(request, folder255, u"D:\\out", u"abcd", 0));
  EXPECT_EQ(BufferText(request.From), u"");
  EXPECT_EQ(BufferText(request.To), u"");
  EXPECT_EQ(DestinationFolderPath(request), u"");
  // The destination can overflow on its own too, with the file name appended.
  EXPECT_FALSE(BuildRequestPaths(request, u"C:\\in", folder255, u"abcd", 0));
  EXPECT_TRUE(BuildRequestPaths(request, u"C:\\in", folder255, u"abcd", 1));
}

TEST(SetRequestOperation, FollowsTheBytesOfTheConditionWord) {
  FileOpRequest request;
  SetRequestOperation(request, BuildConditionWord(0, 0, 1));
  EXPECT_EQ(request.Function, FileOpFunction::Move);
  EXPECT_EQ(request.Flags, 0x069C);
  SetRequestOperation(request, BuildConditionWord(1, 1, 1));
  EXPECT_EQ(request.Function, FileOpFunction::Copy);
  EXPECT_EQ(request.Flags, 0x0694);
  SetRequestOperation(request, 9u << 16);
  EXPECT_EQ(request.Function, FileOpFunction::Copy) << "any non-zero method byte copies";
}

TEST(ToFileOperation, CarriesPathsMethodAndCollisionMode) {
  FileOpRequest request;
  ASSERT_TRUE(BuildRequestPaths(request, u"C:\\in", u"D:\\out", u"*.pdf", BuildConditionWord(1, 0, 1)));
  SetRequestOperation(request, BuildConditionWord(1, 0, 1));
  FileOperation operation = ToFileOperation(request);
  EXPECT_EQ(operation.Kind, SortMethod::Copy);
  EXPECT_EQ(operation.Source, u"C:\\in\\*.pdf");
  EXPECT_EQ(operation.Destination, u"D:\\out\\");
  EXPECT_TRUE(operation.RenameOnCollision);

  SetRequestOperation(request, BuildConditionWord(0, 1, 1));
  operation = ToFileOperation(request);
  EXPECT_EQ(operation.Kind, SortMethod::Move);
  EXPECT_FALSE(operation.RenameOnCollision);
}

}  // namespace
}  // namespace savrin
