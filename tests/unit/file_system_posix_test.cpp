#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/file_system.h"
#include "platform/file_system_posix.h"
#include "sorting/file_operation.h"
#include "sorting/folder_path.h"
#include "tests/unit/fault_injecting_file_system.h"
#include "tests/unit/real_sandbox.h"

namespace savrin {
namespace {

class PosixSandbox final : public RealSandbox {
 public:
  bool HasHiddenAttribute() const override { return false; }
  bool CaseSensitive() const override { return true; }
  std::shared_ptr<void> HoldOpen(const std::u16string&) override { return nullptr; }
};

}  // namespace

std::unique_ptr<Sandbox> MakePlatformSandbox() { return std::make_unique<PosixSandbox>(); }

namespace {

class PosixFileSystemTest : public ::testing::Test {
 protected:
  PosixSandbox box;
  FileSystem& fs = box.Fs();
};

TEST_F(PosixFileSystemTest, NamesStartingWithADotAreHidden) {
  box.WriteAt(u".profile", "p");
  box.WriteAt(u"visible.txt", "v");
  std::vector<FileInfo> entries;
  ASSERT_TRUE(fs.ListFolder(box.Root(), entries).IsOk());
  ASSERT_EQ(entries.size(), 2u);
  for (const FileInfo& entry : entries) EXPECT_EQ(entry.Attributes.Hidden, entry.Name == u".profile") << entry.Name.size();
}

TEST_F(PosixFileSystemTest, BackslashSeparatesLikeSlash) {
  box.MakeFolder(u"a");
  box.WriteAt(u"a/x.txt", "x");
  FileInfo info;
  ASSERT_TRUE(fs.GetInfo(box.Root() + u"\\a\\x.txt", info).IsOk());
  EXPECT_EQ(info.Size, 1u);
  EXPECT_EQ(info.Name, u"x.txt");
}

TEST_F(PosixFileSystemTest, ReadOnlyIsTheOwnersMissingWritePermission) {
  box.WriteAt(u"r.txt", "r");
  box.SetAttributesAt(u"r.txt", FileAttributes{true, false, false});
  struct stat st {};
  ASSERT_EQ(::stat(RealSandbox::Native(box.Path(u"r.txt")).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
  EXPECT_TRUE(box.AttributesAt(u"r.txt").ReadOnly);
  box.SetAttributesAt(u"r.txt", FileAttributes{});
  EXPECT_FALSE(box.AttributesAt(u"r.txt").ReadOnly);
}

TEST_F(PosixFileSystemTest, FallbackWithoutTheRenameFlagNeverReplaces) {
  box.WriteAt(u"a.txt", "a");
  box.WriteAt(u"b.txt", "b");
  EXPECT_EQ(MoveNoReplaceWithoutRenameFlag(box.Path(u"a.txt"), box.Path(u"b.txt")).Code, StatusCode::Exists);
  EXPECT_EQ(box.ReadAt(u"a.txt"), "a");
  EXPECT_EQ(box.ReadAt(u"b.txt"), "b");
  ASSERT_TRUE(MoveNoReplaceWithoutRenameFlag(box.Path(u"a.txt"), box.Path(u"c.txt")).IsOk());
  EXPECT_FALSE(box.ExistsAt(u"a.txt"));
  EXPECT_EQ(box.ReadAt(u"c.txt"), "a");
}

TEST_F(PosixFileSystemTest, FallbackMovesFoldersButNotOntoAnyExistingName) {
  box.MakeFolder(u"album");
  box.WriteAt(u"album/1.jpg", "1");
  box.MakeFolder(u"taken");
  box.WriteAt(u"taken/keep.txt", "k");
  box.MakeFolder(u"empty");
  EXPECT_EQ(MoveNoReplaceWithoutRenameFlag(box.Path(u"album"), box.Path(u"taken")).Code, StatusCode::Exists);
  EXPECT_EQ(MoveNoReplaceWithoutRenameFlag(box.Path(u"album"), box.Path(u"empty")).Code, StatusCode::Exists);
  EXPECT_EQ(box.ReadAt(u"taken/keep.txt"), "k");
  EXPECT_TRUE(box.IsFolderAt(u"empty"));
  ASSERT_TRUE(MoveNoReplaceWithoutRenameFlag(box.Path(u"album"), box.Path(u"moved")).IsOk());
  EXPECT_EQ(box.ReadAt(u"moved/1.jpg"), "1");
  EXPECT_FALSE(box.ExistsAt(u"album"));
}

TEST_F(PosixFileSystemTest, ReplacingRenameRefusesAFolder) {
  box.WriteAt(u"a.txt", "a");
  box.MakeFolder(u"empty");
  EXPECT_EQ(fs.MoveReplace(box.Path(u"a.txt"), box.Path(u"empty")).Code, StatusCode::AccessDenied);
  EXPECT_TRUE(box.IsFolderAt(u"empty"));
  EXPECT_EQ(box.ReadAt(u"a.txt"), "a");
}

TEST_F(PosixFileSystemTest, MakeFolderPathExistCreatesFromTheRootDown) {
  const std::u16string target = box.Root() + u"/x/y/z/";
  EXPECT_TRUE(MakeFolderPathExist(fs, target).IsOk());
  EXPECT_TRUE(box.IsFolderAt(u"x/y/z"));
  EXPECT_TRUE(MakeFolderPathExist(fs, target + u"report.doc").IsOk()) << "an existing path is fine";
}

TEST_F(PosixFileSystemTest, AFolderWithALinkBackUpItsTreeIsNeitherCopiedNorMovedAcrossVolumes) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"out");
  box.MakeFolder(u"in/album");
  box.WriteAt(u"in/album/1.jpg", "one");
  ASSERT_EQ(::symlink("..", RealSandbox::Native(box.Path(u"in/album/loop")).c_str()), 0);
  for (const SortMethod kind : {SortMethod::Copy, SortMethod::Move}) {
    FaultInjectingFileSystem faults(fs);
    faults.FailWhen(FsCall::MoveNoReplace, [](const FsCallRecord&) { return true; },
                    Status::Error(StatusCode::CrossDevice));
    const std::vector<ItemResult> results =
        PerformFileOperation(faults, {kind, box.Path(u"in/album"), box.Path(u"out/"), true});
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].Outcome, ItemOutcome::Failed);
    EXPECT_EQ(results[0].StepStatus.Code, StatusCode::Unsupported);
    EXPECT_EQ(box.ReadAt(u"in/album/1.jpg"), "one");
    EXPECT_EQ(box.NamesAt(u"out"), std::vector<std::u16string>{});
  }
  ::unlink(RealSandbox::Native(box.Path(u"in/album/loop")).c_str());
}

// A destination reached through a link into the folder itself: the folder
// would otherwise hold one more copy of itself after every pass.
TEST_F(PosixFileSystemTest, AFolderIsNotCopiedIntoItselfThroughALink) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"in/album");
  box.MakeFolder(u"in/album/sub");
  box.WriteAt(u"in/album/1.jpg", "one");
  ASSERT_EQ(::symlink(RealSandbox::Native(box.Path(u"in/album/sub")).c_str(),
                      RealSandbox::Native(box.Path(u"out")).c_str()), 0);
  for (const std::u16string destination : {u"out/", u"out/new/deeper/"}) {
    const std::vector<ItemResult> results =
        PerformFileOperation(fs, {SortMethod::Copy, box.Path(u"in/album"), box.Path(destination), true});
    ASSERT_EQ(results.size(), 1u) << std::string(destination.begin(), destination.end());
    EXPECT_EQ(results[0].Outcome, ItemOutcome::Blocked);
    EXPECT_EQ(box.NamesAt(u"in/album/sub"), std::vector<std::u16string>{});
  }
  ::unlink(RealSandbox::Native(box.Path(u"out")).c_str());
}

// A folder moved to another volume is the same folder in a new place: it
// and everything in it keep their times, as a rename would leave them.
TEST_F(PosixFileSystemTest, AFolderMovedBetweenVolumesKeepsItsTimes) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"out");
  box.MakeFolder(u"in/album");
  box.MakeFolder(u"in/album/2017");
  box.WriteAt(u"in/album/2017/1.jpg", "one");
  const struct timespec past[2] = {{1500000000, 0}, {1500000000, 123456789}};
  for (const char16_t* path : {u"in/album/2017/1.jpg", u"in/album/2017", u"in/album"}) {
    ASSERT_EQ(::utimensat(AT_FDCWD, RealSandbox::Native(box.Path(path)).c_str(), past, 0), 0);
  }
  FaultInjectingFileSystem faults(fs);
  faults.FailWhen(FsCall::MoveNoReplace, [&](const FsCallRecord& call) { return call.path == box.Path(u"in/album"); },
                  Status::Error(StatusCode::CrossDevice));
  const std::vector<ItemResult> results =
      PerformFileOperation(faults, {SortMethod::Move, box.Path(u"in/album"), box.Path(u"out/"), true});
  ASSERT_EQ(results.size(), 1u);
  ASSERT_EQ(results[0].Outcome, ItemOutcome::Placed);
  for (const char16_t* path : {u"out/album/2017/1.jpg", u"out/album/2017", u"out/album"}) {
    struct stat st {};
    ASSERT_EQ(::stat(RealSandbox::Native(box.Path(path)).c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1500000000) << std::string(path, path + std::char_traits<char16_t>::length(path));
    EXPECT_EQ(st.st_mtim.tv_nsec, 123456789);
  }
}

// A real second file system, where one is mounted: /dev/shm is tmpfs on most
// Linux systems, and the temporary folder often is not.
TEST_F(PosixFileSystemTest, MoveBetweenFileSystemsCopiesAndRemovesTheSource) {
  struct stat tmp {};
  struct stat shm {};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(RealSandbox::Native(box.Root()).c_str(), &tmp) != 0 ||
      tmp.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system to move to";
  }
  char folder[] = "/dev/shm/savrin-test-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::u16string other(folder, folder + std::strlen(folder));
  box.MakeFolder(u"in");
  box.WriteAt(u"in/a.pdf", "content of a");
  const std::vector<ItemResult> results =
      PerformFileOperation(fs, {SortMethod::Move, box.Path(u"in/*.pdf"), other + u"/", true});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::Placed);
  EXPECT_FALSE(box.ExistsAt(u"in/a.pdf"));
  EXPECT_EQ(box.Read(other + u"/a.pdf"), "content of a");
  std::vector<FileInfo> entries;
  fs.ListFolder(other, entries);
  EXPECT_EQ(entries.size(), 1u) << "no temporary left behind";
  fs.RemoveFile(other + u"/a.pdf");
  fs.RemoveEmptyFolder(other);
}

// The copy hands the disk one piece after the other while it goes on; the
// pieces and the rest after the last whole one all arrive, whether the
// kernel copies (same file system) or plain reads and writes do (another).
TEST_F(PosixFileSystemTest, AFileOfSeveralWriteBackPiecesIsCopiedWhole) {
  std::string content((size_t{17} << 20) + 12345, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 2654435761u) >> 13);
  box.WriteAt(u"big.bin", content);
  ASSERT_TRUE(fs.CopyToNewFile(box.Path(u"big.bin"), box.Path(u"copy.bin"), {}, nullptr).IsOk());
  EXPECT_TRUE(box.ReadAt(u"copy.bin") == content);

  struct stat tmp {};
  struct stat shm {};
  if (::stat("/dev/shm", &shm) != 0 || ::stat(RealSandbox::Native(box.Root()).c_str(), &tmp) != 0 ||
      tmp.st_dev == shm.st_dev || ::access("/dev/shm", W_OK) != 0) {
    GTEST_SKIP() << "no second file system to copy to";
  }
  char folder[] = "/dev/shm/savrin-test-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::u16string other = std::u16string(folder, folder + std::strlen(folder)) + u"/copy.bin";
  ASSERT_TRUE(fs.CopyToNewFile(box.Path(u"big.bin"), other, {}, nullptr).IsOk());
  EXPECT_TRUE(box.Read(other) == content);
  fs.RemoveFile(other);
  ::rmdir(folder);
}

TEST_F(PosixFileSystemTest, CopiesKeepThePermissionBitsAndBothTimes) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"out");
  box.WriteAt(u"in/private.txt", "only mine");
  const std::string source = RealSandbox::Native(box.Path(u"in/private.txt"));
  ASSERT_EQ(::chmod(source.c_str(), 0600), 0);
  const struct timespec times[2] = {{1000000000, 123456789}, {1100000000, 987654321}};
  ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
  PerformFileOperation(fs, {SortMethod::Copy, box.Path(u"in/*.txt"), box.Path(u"out/"), true});
  struct stat copy {};
  ASSERT_EQ(::stat(RealSandbox::Native(box.Path(u"out/private.txt")).c_str(), &copy), 0);
  EXPECT_EQ(copy.st_mode & 07777, 0600u);
  EXPECT_EQ(copy.st_atim.tv_sec, 1000000000);
  EXPECT_EQ(copy.st_mtim.tv_sec, 1100000000);
  EXPECT_EQ(copy.st_mtim.tv_nsec, 987654321);
}

// Without sharing modes another run's temporary is told by the lock its
// copy holds while it writes.
TEST_F(PosixFileSystemTest, ATemporaryAnotherRunIsWritingIsLeftToIt) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"out");
  box.WriteAt(u"in/a.pdf", "A");
  box.WriteAt(u"out/~savrin-00000000000000aa.part", "being written");
  const std::u16string temporary = box.Path(u"out/~savrin-00000000000000aa.part");
  const int writer = ::open(RealSandbox::Native(temporary).c_str(), O_RDONLY);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(::flock(writer, LOCK_EX), 0);
  EXPECT_EQ(fs.ProbeInUse(temporary).Code, StatusCode::SharingViolation);
  PerformFileOperation(fs, {SortMethod::Copy, box.Path(u"in/*.pdf"), box.Path(u"out/"), true});
  EXPECT_EQ(box.ReadAt(u"out/~savrin-00000000000000aa.part"), "being written");
  ::close(writer);
  EXPECT_TRUE(fs.ProbeInUse(temporary).IsOk());
  PerformFileOperation(fs, {SortMethod::Copy, box.Path(u"in/*.pdf"), box.Path(u"out/"), true});
  EXPECT_FALSE(box.ExistsAt(u"out/~savrin-00000000000000aa.part")) << "left over, once nobody writes it";
}

TEST_F(PosixFileSystemTest, TheCleanUpNeverFollowsALinkNamedLikeATemporary) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"out");
  box.MakeFolder(u"keep");
  box.MakeFolder(u"keep/inner");
  box.WriteAt(u"keep/one.txt", "kept one");
  box.WriteAt(u"keep/inner/two.txt", "kept two");
  box.WriteAt(u"in/a.pdf", "A");
  const std::string keep = RealSandbox::Native(box.Path(u"keep"));
  for (const char16_t* name : {u"out/~savrin-fedcba9876543210.part", u"out/~savrin-fedcba9876543210.tmp"}) {
    ASSERT_EQ(::symlink(keep.c_str(), RealSandbox::Native(box.Path(name)).c_str()), 0);
  }
  PerformFileOperation(fs, {SortMethod::Move, box.Path(u"in/*.pdf"), box.Path(u"out/"), true});
  EXPECT_EQ(box.ReadAt(u"out/a.pdf"), "A");
  EXPECT_EQ(box.ReadAt(u"keep/one.txt"), "kept one");
  EXPECT_EQ(box.ReadAt(u"keep/inner/two.txt"), "kept two");
  EXPECT_EQ(box.NamesAt(u"out").size(), 3u) << "both links stay";
}

}  // namespace
}  // namespace savrin
