#include "sorting/folder_path.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf.h"
#include "tests/unit/fake_file_system.h"
#include "tests/unit/fault_injecting_file_system.h"

namespace savrin {
namespace {

std::vector<std::u16string> CreateFolderCalls(const FaultInjectingFileSystem& faults) {
  std::vector<std::u16string> paths;
  for (const FsCallRecord& call : faults.Calls()) {
    if (call.kind == FsCall::CreateFolder) paths.push_back(call.path);
  }
  return paths;
}

TEST(MakeFolderPathExist, CreatesEveryFolderBelowTheRootAndNeverARoot) {
  const struct {
    std::u16string path;
    std::vector<std::u16string> created;
    bool exists;
  } cases[] = {
      {u"C:\\out\\2005\\", {u"C:\\out", u"C:\\out\\2005"}, true},
      {u"C:\\out\\2005\\report.doc", {u"C:\\out", u"C:\\out\\2005"}, true},
      {u"C:/out//2005/", {u"C:/out", u"C:/out//2005"}, true},
      {u"C:\\", {}, true},
      {u"C:\\report.doc", {}, true},
      {u"\\\\server\\share\\out\\2005\\", {u"\\\\server\\share\\out", u"\\\\server\\share\\out\\2005"}, true},
      {u"\\\\server\\share\\", {}, true},
      // A share that is not there is not made: only the folder below it is tried.
      {u"\\\\server\\missing\\out\\", {u"\\\\server\\missing\\out"}, false},
      {u"E:\\out\\", {u"E:\\out"}, false},
  };
  for (const auto& c : cases) {
    FakeFileSystem fake;
    fake.AddVolume(u"\\\\server\\share\\");
    FaultInjectingFileSystem faults(fake);
    const Status status = MakeFolderPathExist(faults, c.path);
    EXPECT_EQ(CreateFolderCalls(faults), c.created) << EncodeUtf8(c.path);
    EXPECT_EQ(status.IsOk(), c.exists) << EncodeUtf8(c.path);
    for (const std::u16string& folder : c.created) EXPECT_EQ(fake.Exists(folder), c.exists) << EncodeUtf8(folder);
  }
}

TEST(MakeFolderPathExist, AFolderThatCannotBeMadeIsPassedOver) {
  FakeFileSystem fake;
  fake.MakeFolders(u"C:\\out");
  FaultInjectingFileSystem faults(fake);
  // The first level exists already; failing to create it again must not stop the next.
  faults.FailNth(FsCall::CreateFolder, 1, Status::Error(StatusCode::AccessDenied));
  EXPECT_TRUE(MakeFolderPathExist(faults, u"C:\\out\\2005\\").IsOk());
  EXPECT_TRUE(fake.Exists(u"C:\\out\\2005"));
}

TEST(MakeFolderPathExist, AFileInTheWayIsLeftAlone) {
  FakeFileSystem fake;
  fake.WriteFile(u"C:\\out", "a file");
  EXPECT_FALSE(MakeFolderPathExist(fake, u"C:\\out\\2005\\").IsOk());
  EXPECT_EQ(fake.ReadFile(u"C:\\out"), "a file");
}

}  // namespace
}  // namespace savrin
