#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sorting/file_operation.h"
#include "sorting/numbered_name.h"
#include "tests/unit/fake_file_system.h"
#include "tests/unit/fault_injecting_file_system.h"
#include "tests/unit/item_outcome_print.h"

// What only the fake can stage cheaply: several volumes and shares, and
// folders with thousands of names.

namespace savrin {
namespace {

using Names = std::vector<std::u16string>;

class FakeVolumesTest : public ::testing::Test {
 protected:
  FakeVolumesTest() {
    fake.AddVolume(u"D:\\");
    fake.AddVolume(u"\\\\server\\share\\");
    fake.MakeFolders(u"C:\\in");
    fake.MakeFolders(u"D:\\out");
    fake.MakeFolders(u"\\\\server\\share\\out");
  }
  FakeFileSystem fake;
};

TEST_F(FakeVolumesTest, FilesMoveFromOneDriveToAnother) {
  fake.WriteFile(u"C:\\in\\a.pdf", "A");
  fake.WriteFile(u"C:\\in\\b.pdf", "B");
  FaultInjectingFileSystem faults(fake);
  const auto results = PerformFileOperation(faults, {SortMethod::Move, u"C:\\in\\*.pdf", u"D:\\out\\", true});
  ASSERT_EQ(results.size(), 2u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::Placed);
  EXPECT_EQ(results[1].Outcome, ItemOutcome::Placed);
  EXPECT_EQ(fake.Names(u"C:\\in"), Names{});
  EXPECT_EQ(fake.Names(u"D:\\out"), (Names{u"a.pdf", u"b.pdf"}));
  EXPECT_EQ(faults.CountOf(FsCall::CopyToNewFile), 2);
}

TEST_F(FakeVolumesTest, AFolderMovesOntoANetworkShareAndACopyComesBack) {
  fake.MakeFolders(u"C:\\in\\album\\2005");
  fake.WriteFile(u"C:\\in\\album\\2005\\1.jpg", "one");
  auto results = PerformFileOperation(fake, {SortMethod::Move, u"C:\\in\\album", u"\\\\server\\share\\out\\", true});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::Placed);
  EXPECT_FALSE(fake.Exists(u"C:\\in\\album"));
  EXPECT_EQ(fake.ReadFile(u"\\\\server\\share\\out\\album\\2005\\1.jpg"), "one");

  results = PerformFileOperation(fake, {SortMethod::Copy, u"\\\\server\\share\\out\\album", u"C:\\in\\", true});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::Placed);
  EXPECT_EQ(fake.ReadFile(u"C:\\in\\album\\2005\\1.jpg"), "one");
  EXPECT_EQ(fake.ReadFile(u"\\\\server\\share\\out\\album\\2005\\1.jpg"), "one");
}

TEST_F(FakeVolumesTest, AFolderHoldingAFileHeldOpenIsNotRenamedEither) {
  fake.MakeFolders(u"C:\\in\\album");
  fake.MakeFolders(u"C:\\out");
  fake.WriteFile(u"C:\\in\\album\\1.jpg", "being written");
  fake.Hold(u"C:\\in\\album\\1.jpg");
  const auto results = PerformFileOperation(fake, {SortMethod::Move, u"C:\\in\\album", u"C:\\out\\", true});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::Failed);
  EXPECT_EQ(fake.ReadFile(u"C:\\in\\album\\1.jpg"), "being written");
  EXPECT_EQ(fake.Names(u"C:\\out"), Names{});
}

TEST_F(FakeVolumesTest, TheBoundCountsTheNamesAlreadyTaken) {
  fake.WriteFile(u"D:\\out\\report.pdf", "taken");
  for (unsigned number = 2; number <= kMaxNameAttempts; ++number) {
    fake.WriteFile(u"D:\\out\\" + NumberedName(u"report.pdf", number, false), "taken");
  }
  fake.WriteFile(u"C:\\in\\report.pdf", "arriving");
  FaultInjectingFileSystem faults(fake);
  const auto results = PerformFileOperation(faults, {SortMethod::Move, u"C:\\in\\report.pdf", u"D:\\out\\", true});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::NoFreeName);
  EXPECT_EQ(faults.CountOf(FsCall::MoveNoReplace), 0) << "no attempt where the listing shows the name taken";
  EXPECT_EQ(faults.CountOf(FsCall::CopyToNewFile), 0);
  EXPECT_EQ(fake.ReadFile(u"C:\\in\\report.pdf"), "arriving");
  EXPECT_EQ(fake.Names(u"D:\\out").size(), kMaxNameAttempts);

  fake.RemoveFile(u"D:\\out\\report (9999).pdf");
  const auto retry = PerformFileOperation(fake, {SortMethod::Move, u"C:\\in\\report.pdf", u"D:\\out\\", true});
  ASSERT_EQ(retry.size(), 1u);
  EXPECT_EQ(retry[0].Outcome, ItemOutcome::Renamed);
  EXPECT_EQ(fake.ReadFile(u"D:\\out\\report (9999).pdf"), "arriving");
}

}  // namespace
}  // namespace savrin
