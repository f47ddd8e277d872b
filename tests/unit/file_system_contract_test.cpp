#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "tests/unit/item_outcome_print.h"
#include "tests/unit/sandbox.h"

// What the engine relies on from every file system behind the seam: the
// fake, and the backend of the platform the tests run on.

namespace savrin {
namespace {

class FileSystemContractTest : public ::testing::TestWithParam<SandboxKind> {
 protected:
  void SetUp() override { box = GetParam().make(); }
  FileSystem& fs() { return box->Fs(); }
  std::unique_ptr<Sandbox> box;
};

TEST_P(FileSystemContractTest, ListingGivesNamesKindsAndSizesOfTheEntriesOnly) {
  box->WriteAt(u"報告書.txt", "12345");
  box->MakeFolder(u"フォルダ");
  std::vector<FileInfo> entries;
  ASSERT_TRUE(fs().ListFolder(box->Root(), entries).IsOk());
  std::sort(entries.begin(), entries.end(), [](const FileInfo& a, const FileInfo& b) { return a.Name < b.Name; });
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].Name, u"フォルダ");
  EXPECT_TRUE(entries[0].IsFolder);
  EXPECT_EQ(entries[1].Name, u"報告書.txt");
  EXPECT_FALSE(entries[1].IsFolder);
  EXPECT_EQ(entries[1].Size, 5u);
  EXPECT_EQ(fs().ListFolder(box->Path(u"missing"), entries).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, NamesAloneAreTheNamesOfTheListing) {
  box->WriteAt(u"報告書.txt", "12345");
  box->WriteAt(u".hidden", "h");
  box->MakeFolder(u"フォルダ");
  std::vector<FileInfo> entries;
  std::vector<std::u16string> names{u"left over"};
  ASSERT_TRUE(fs().ListFolder(box->Root(), entries).IsOk());
  ASSERT_TRUE(fs().ListNames(box->Root(), names).IsOk());
  std::vector<std::u16string> listed;
  for (const FileInfo& entry : entries) listed.push_back(entry.Name);
  std::sort(listed.begin(), listed.end());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, listed);
  EXPECT_EQ(fs().ListNames(box->Path(u"missing"), names).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, InfoDescribesOnePathAndSaysWhenNothingIsThere) {
  box->WriteAt(u"a.txt", "abc");
  FileInfo info;
  ASSERT_TRUE(fs().GetInfo(box->Path(u"a.txt"), info).IsOk());
  EXPECT_EQ(info.Name, u"a.txt");
  EXPECT_EQ(info.Size, 3u);
  EXPECT_FALSE(info.IsFolder);
  EXPECT_EQ(fs().GetInfo(box->Path(u"missing.txt"), info).Code, StatusCode::NotFound);
  EXPECT_EQ(fs().GetInfo(box->Path(u"missing\\a.txt"), info).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, CreatingAFolderNeedsItsParentAndAFreeName) {
  EXPECT_TRUE(fs().CreateFolder(box->Path(u"new")).IsOk());
  EXPECT_EQ(fs().CreateFolder(box->Path(u"new")).Code, StatusCode::Exists);
  EXPECT_EQ(fs().CreateFolder(box->Path(u"missing\\new")).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, TheNoReplaceMoveNeverReplaces) {
  box->WriteAt(u"a.txt", "a");
  box->WriteAt(u"b.txt", "b");
  box->MakeFolder(u"folder");
  EXPECT_EQ(fs().MoveNoReplace(box->Path(u"a.txt"), box->Path(u"b.txt")).Code, StatusCode::Exists);
  EXPECT_EQ(fs().MoveNoReplace(box->Path(u"a.txt"), box->Path(u"folder")).Code, StatusCode::Exists);
  EXPECT_EQ(fs().MoveNoReplace(box->Path(u"folder"), box->Path(u"b.txt")).Code, StatusCode::Exists);
  if (!box->CaseSensitive()) {
    EXPECT_EQ(fs().MoveNoReplace(box->Path(u"a.txt"), box->Path(u"B.TXT")).Code, StatusCode::Exists);
  }
  EXPECT_EQ(box->ReadAt(u"a.txt"), "a");
  EXPECT_EQ(box->ReadAt(u"b.txt"), "b");
  EXPECT_TRUE(fs().MoveNoReplace(box->Path(u"a.txt"), box->Path(u"folder\\c.txt")).IsOk());
  EXPECT_EQ(box->ReadAt(u"folder\\c.txt"), "a");
  EXPECT_EQ(fs().MoveNoReplace(box->Path(u"a.txt"), box->Path(u"d.txt")).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, TheReplacingMoveReplacesAFileButNeverAFolder) {
  box->WriteAt(u"a.txt", "new");
  box->WriteAt(u"b.txt", "old");
  box->MakeFolder(u"folder");
  EXPECT_EQ(fs().MoveReplace(box->Path(u"a.txt"), box->Path(u"folder")).Code, StatusCode::AccessDenied);
  EXPECT_TRUE(box->IsFolderAt(u"folder"));
  EXPECT_TRUE(fs().MoveReplace(box->Path(u"a.txt"), box->Path(u"b.txt")).IsOk());
  EXPECT_EQ(box->ReadAt(u"b.txt"), "new");
  EXPECT_FALSE(box->ExistsAt(u"a.txt"));
}

TEST_P(FileSystemContractTest, CopyingMakesANewFileOnlyAndKeepsTheModificationTime) {
  box->WriteAt(u"a.txt", "content");
  box->WriteAt(u"taken.txt", "taken");
  EXPECT_EQ(fs().CopyToNewFile(box->Path(u"a.txt"), box->Path(u"taken.txt"), {}, nullptr).Code, StatusCode::Exists);
  EXPECT_EQ(box->ReadAt(u"taken.txt"), "taken");
  FileAttributes hidden;
  hidden.Hidden = true;
  ASSERT_TRUE(fs().CopyToNewFile(box->Path(u"a.txt"), box->Path(u"copy.txt"), CopySettings{hidden}, nullptr).IsOk());
  EXPECT_EQ(box->ReadAt(u"copy.txt"), "content");
  FileInfo source;
  FileInfo copy;
  fs().GetInfo(box->Path(u"a.txt"), source);
  fs().GetInfo(box->Path(u"copy.txt"), copy);
  EXPECT_EQ(copy.Modified, source.Modified);
  if (box->HasHiddenAttribute()) {
    EXPECT_TRUE(copy.Attributes.Hidden);
  }
  box->MakeFolder(u"folder");
  EXPECT_FALSE(fs().CopyToNewFile(box->Path(u"folder"), box->Path(u"folder copy"), {}, nullptr).IsOk());
  EXPECT_FALSE(box->ExistsAt(u"folder copy"));
  EXPECT_EQ(fs().CopyToNewFile(box->Path(u"missing.txt"), box->Path(u"x.txt"), {}, nullptr).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, AFileCopiedThroughTheSeamMayBeLarge) {
  std::string content;
  for (int i = 0; i < 300000; ++i) content += static_cast<char>('a' + i % 26);
  box->WriteAt(u"big.bin", content);
  ASSERT_TRUE(fs().CopyToNewFile(box->Path(u"big.bin"), box->Path(u"big copy.bin"), {}, nullptr).IsOk());
  EXPECT_EQ(box->ReadAt(u"big copy.bin"), content);
}

TEST_P(FileSystemContractTest, AttributesGoOnAndOff) {
  box->WriteAt(u"a.txt", "a");
  box->SetAttributesAt(u"a.txt", FileAttributes{true, false, false});
  EXPECT_TRUE(box->AttributesAt(u"a.txt").ReadOnly);
  if (box->HasHiddenAttribute()) {
    box->SetAttributesAt(u"a.txt", FileAttributes{false, true, true});
    EXPECT_EQ(box->AttributesAt(u"a.txt"), (FileAttributes{false, true, true}));
  }
  box->SetAttributesAt(u"a.txt", FileAttributes{});
  EXPECT_EQ(box->AttributesAt(u"a.txt"), FileAttributes{});
}

TEST_P(FileSystemContractTest, RemovalsTakeFilesAndEmptyFoldersOnly) {
  box->MakeFolder(u"full");
  box->WriteAt(u"full\\a.txt", "a");
  EXPECT_EQ(fs().RemoveEmptyFolder(box->Path(u"full")).Code, StatusCode::NotEmpty);
  EXPECT_FALSE(fs().RemoveFile(box->Path(u"full")).IsOk());
  EXPECT_TRUE(box->IsFolderAt(u"full"));
  EXPECT_TRUE(fs().RemoveFile(box->Path(u"full\\a.txt")).IsOk());
  EXPECT_EQ(fs().RemoveFile(box->Path(u"full\\a.txt")).Code, StatusCode::NotFound);
  EXPECT_TRUE(fs().RemoveEmptyFolder(box->Path(u"full")).IsOk());
  EXPECT_FALSE(box->ExistsAt(u"full"));
}

TEST_P(FileSystemContractTest, FlushAndExclusiveOpenSayWhenNothingIsThere) {
  box->WriteAt(u"a.txt", "a");
  EXPECT_TRUE(fs().FlushFolder(box->Root()).IsOk());
  EXPECT_EQ(fs().FlushFolder(box->Path(u"missing")).Code, StatusCode::NotFound);
  EXPECT_TRUE(fs().TryOpenExclusive(box->Path(u"a.txt")).IsOk());
  EXPECT_EQ(fs().TryOpenExclusive(box->Path(u"missing.txt")).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, ContentsCompareByteForByte) {
  box->WriteAt(u"a.txt", "same bytes, one at the end differs: a");
  box->WriteAt(u"b.txt", "same bytes, one at the end differs: a");
  box->WriteAt(u"c.txt", "same bytes, one at the end differs: b");
  box->WriteAt(u"d.txt", "same bytes, one at the end differs: ab");
  box->WriteAt(u"big1.bin", std::string(200000, 'x'));
  box->WriteAt(u"big2.bin", std::string(199999, 'x') + "y");
  bool same = false;
  ASSERT_TRUE(fs().CompareContent(box->Path(u"a.txt"), box->Path(u"b.txt"), same).IsOk());
  EXPECT_TRUE(same);
  for (const char16_t* other : {u"c.txt", u"d.txt"}) {
    ASSERT_TRUE(fs().CompareContent(box->Path(u"a.txt"), box->Path(other), same).IsOk());
    EXPECT_FALSE(same);
  }
  ASSERT_TRUE(fs().CompareContent(box->Path(u"big1.bin"), box->Path(u"big2.bin"), same).IsOk());
  EXPECT_FALSE(same) << "past the first piece read";
  EXPECT_EQ(fs().CompareContent(box->Path(u"a.txt"), box->Path(u"missing.txt"), same).Code, StatusCode::NotFound);
}

TEST_P(FileSystemContractTest, ACopyReportsTheIdOfTheFileItMade) {
  box->WriteAt(u"a.txt", "a");
  CopyReport report;
  ASSERT_TRUE(fs().CopyToNewFile(box->Path(u"a.txt"), box->Path(u"copy.txt"), {}, &report).IsOk());
  FileInfo copy;
  FileInfo original;
  ASSERT_TRUE(fs().GetIdentity(box->Path(u"copy.txt"), copy).IsOk());
  ASSERT_TRUE(fs().GetIdentity(box->Path(u"a.txt"), original).IsOk());
  EXPECT_NE(report.CopyId, 0u);
  EXPECT_EQ(copy.FileId, report.CopyId);
  EXPECT_NE(original.FileId, report.CopyId);
  if (report.Source.FileId != 0) {
    EXPECT_EQ(report.Source.FileId, original.FileId);
  }
}

// The source of a move goes only while it is the file that was copied: not
// once it was written to, nor once another file took its name, even one of
// the same size and time.
TEST_P(FileSystemContractTest, AFileIsRemovedOnlyWhileItIsTheFileThatWasCopied) {
  box->WriteAt(u"a.txt", "first");
  box->WriteAt(u"same.txt", "FIRST");
  FileInfo a;
  ASSERT_TRUE(fs().GetIdentity(box->Path(u"a.txt"), a).IsOk());
  const FileStamp copied = FileStamp::Of(a);
  bool changed = true;

  box->WriteAt(u"a.txt", "first and more");
  EXPECT_TRUE(fs().RemoveFileIfUnchanged(box->Path(u"a.txt"), copied, changed).IsOk());
  EXPECT_TRUE(changed);
  EXPECT_EQ(box->ReadAt(u"a.txt"), "first and more");

  if (a.FileId != 0) {
    FileInfo same;
    ASSERT_TRUE(fs().GetInfo(box->Path(u"same.txt"), same).IsOk());
    FileStamp sameSizeAndTime = copied;
    sameSizeAndTime.Modified = same.Modified;
    ASSERT_TRUE(fs().MoveReplace(box->Path(u"same.txt"), box->Path(u"a.txt")).IsOk());
    EXPECT_TRUE(fs().RemoveFileIfUnchanged(box->Path(u"a.txt"), sameSizeAndTime, changed).IsOk());
    EXPECT_TRUE(changed) << "another file under the name";
    EXPECT_EQ(box->ReadAt(u"a.txt"), "FIRST");
  }

  box->WriteAt(u"b.txt", "b");
  box->SetAttributesAt(u"b.txt", FileAttributes{true, false, false});
  FileInfo b;
  ASSERT_TRUE(fs().GetIdentity(box->Path(u"b.txt"), b).IsOk());
  EXPECT_TRUE(fs().RemoveFileIfUnchanged(box->Path(u"b.txt"), FileStamp::Of(b), changed).IsOk());
  EXPECT_FALSE(changed);
  EXPECT_FALSE(box->ExistsAt(u"b.txt")) << "read-only goes too";
  EXPECT_EQ(fs().RemoveFileIfUnchanged(box->Path(u"b.txt"), FileStamp::Of(b), changed).Code, StatusCode::NotFound);
  box->MakeFolder(u"folder");
  EXPECT_TRUE(fs().RemoveFileIfUnchanged(box->Path(u"folder"), FileStamp{}, changed).IsOk());
  EXPECT_TRUE(changed);
  EXPECT_TRUE(box->ExistsAt(u"folder"));
}

INSTANTIATE_TEST_SUITE_P(, FileSystemContractTest, ::testing::ValuesIn(AllSandboxKinds()),
                         [](const ::testing::TestParamInfo<SandboxKind>& kind) { return kind.param.name; });

}  // namespace
}  // namespace savrin
