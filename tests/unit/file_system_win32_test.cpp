#include <gtest/gtest.h>
#include <windows.h>

#include "platform/file_system.h"
#include "sorting/file_operation.h"
#include "sorting/folder_path.h"
#include "sorting/path_compare.h"
#include "tests/unit/fault_injecting_file_system.h"
#include "tests/unit/real_sandbox.h"

namespace savrin {
namespace {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

class Win32Sandbox final : public RealSandbox {
 public:
  bool HasHiddenAttribute() const override { return true; }
  bool CaseSensitive() const override { return false; }
  // A writer that lets others read, rename and remove, so that only the
  // exclusive open tells that the file is still being written.
  std::shared_ptr<void> HoldOpen(const std::u16string& path) override {
    HANDLE handle = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::shared_ptr<void>(handle, [](void* held) { ::CloseHandle(held); });
  }
};

}  // namespace

std::unique_ptr<Sandbox> MakePlatformSandbox() { return std::make_unique<Win32Sandbox>(); }

namespace {

class Win32FileSystemTest : public ::testing::Test {
 protected:
  Win32Sandbox box;
  FileSystem& fs = box.Fs();
};

TEST_F(Win32FileSystemTest, FoldersDeeperThan260CharactersWork) {
  std::u16string deep = box.Path(u"");
  while (deep.size() < 400) deep += u"\\フォルダ-0123456789-abcdefghij";
  ASSERT_TRUE(MakeFolderPathExist(fs, deep + u"\\").IsOk());
  box.WriteAt(u"a.txt", "deep content");
  const std::vector<ItemResult> results =
      PerformFileOperation(fs, {SortMethod::Copy, box.Path(u"a.txt"), deep + u"\\", true});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].Outcome, ItemOutcome::Placed);
  FileInfo info;
  ASSERT_TRUE(fs.GetInfo(deep + u"\\a.txt", info).IsOk());
  EXPECT_EQ(info.Size, 12u);
  const std::vector<ItemResult> moved =
      PerformFileOperation(fs, {SortMethod::Move, deep + u"\\*.txt", box.Root() + u"\\", true});
  ASSERT_EQ(moved.size(), 1u);
  EXPECT_EQ(moved[0].Outcome, ItemOutcome::Renamed);
  EXPECT_EQ(box.ReadAt(u"a (2).txt"), "deep content");
}

TEST_F(Win32FileSystemTest, ReadOnlyFileCannotBeRemovedUntilCleared) {
  box.WriteAt(u"r.txt", "r");
  box.SetAttributesAt(u"r.txt", FileAttributes{true, false, false});
  EXPECT_EQ(::GetFileAttributesW(Wide(box.Path(u"r.txt")).c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(fs.RemoveFile(box.Path(u"r.txt")).Code, StatusCode::AccessDenied);
  box.SetAttributesAt(u"r.txt", FileAttributes{});
  EXPECT_TRUE(fs.RemoveFile(box.Path(u"r.txt")).IsOk());
}

TEST_F(Win32FileSystemTest, AFileBeingWrittenIsNeitherOpenedExclusivelyNorCopied) {
  box.WriteAt(u"busy.txt", "half");
  std::shared_ptr<void> held = box.HoldOpen(box.Path(u"busy.txt"));
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(fs.TryOpenExclusive(box.Path(u"busy.txt")).Code, StatusCode::SharingViolation);
  EXPECT_EQ(fs.CopyToNewFile(box.Path(u"busy.txt"), box.Path(u"copy.txt"), {}, nullptr).Code, StatusCode::SharingViolation);
  EXPECT_FALSE(box.ExistsAt(u"copy.txt"));
  held.reset();
  EXPECT_TRUE(fs.TryOpenExclusive(box.Path(u"busy.txt")).IsOk());
}

TEST_F(Win32FileSystemTest, SlashesAndDotsAreCleanedUpBeforeTheLongPathPrefix) {
  box.MakeFolder(u"a");
  box.WriteAt(u"a\\x.txt", "x");
  FileInfo info;
  EXPECT_TRUE(fs.GetInfo(box.Root() + u"/a/./x.txt", info).IsOk());
  EXPECT_TRUE(fs.GetInfo(box.Root() + u"\\a\\..\\a\\x.txt", info).IsOk());
}

TEST_F(Win32FileSystemTest, OneFolderReadsAsTheSameUnderTwoSpellings) {
  box.MakeFolder(u"Sub");
  FileInfo a;
  FileInfo b;
  ASSERT_TRUE(fs.GetIdentity(box.Path(u"Sub"), a).IsOk());
  ASSERT_TRUE(fs.GetIdentity(box.Path(u"SUB\\"), b).IsOk());
  if (a.FileId == 0) GTEST_SKIP() << "no file ids here";
  EXPECT_EQ(a.VolumeId, b.VolumeId);
  EXPECT_EQ(a.FileId, b.FileId);
}

// Names Win32's path clean-up would change, as WSL, shares and archivers
// leave them on Windows disks: each is moved as itself.
TEST_F(Win32FileSystemTest, NamesTheWin32PathRulesWouldAlterAreSortedAsThemselves) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"out");
  const std::u16string names[] = {u"NUL.txt", u"notes ", u"report."};
  for (const std::u16string& name : names) {
    const std::wstring path = L"\\\\?\\" + Wide(box.Path(u"in\\" + name));
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot make the name";
    DWORD written = 0;
    ::WriteFile(file, "x", 1, &written, nullptr);
    ::CloseHandle(file);
  }
  ASSERT_EQ(box.NamesAt(u"in").size(), 3u);
  for (const SortMethod kind : {SortMethod::Copy, SortMethod::Move}) {
    const auto results = PerformFileOperation(fs, {kind, box.Path(u"in\\*"), box.Path(u"out\\"), true});
    ASSERT_EQ(results.size(), 3u);
  }
  EXPECT_EQ(box.NamesAt(u"in"), std::vector<std::u16string>{});
  EXPECT_EQ(box.NamesAt(u"out"), (std::vector<std::u16string>{u"NUL (2).txt", u"NUL.txt", u"notes ", u"notes  (2)",
                                                                u"report (2).", u"report."}));
}

// A folder the platform will not flush must not read as flushed: under
// Wine, /proc answers ERROR_INVALID_PARAMETER, as some shares do.
TEST_F(Win32FileSystemTest, AFolderThatCannotBeFlushedSaysSo) {
  const DWORD attributes = ::GetFileAttributesW(L"Z:\\proc");
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    GTEST_SKIP() << "no folder here that refuses a flush";
  }
  EXPECT_EQ(fs.FlushFolder(u"Z:\\proc").Code, StatusCode::Unsupported);
  EXPECT_TRUE(fs.FlushFolder(box.Root()).IsOk());
}

// A writer that let others rename and remove the file still keeps it: the
// look and the removal go through one handle that shares no writing.
TEST_F(Win32FileSystemTest, AFileHeldByAWriterIsNotRemovedAsUnchanged) {
  box.WriteAt(u"a.txt", "being written");
  FileInfo before;
  ASSERT_TRUE(fs.GetIdentity(box.Path(u"a.txt"), before).IsOk());
  std::shared_ptr<void> held = box.HoldOpen(box.Path(u"a.txt"));
  ASSERT_NE(held, nullptr);
  bool changed = false;
  EXPECT_EQ(fs.RemoveFileIfUnchanged(box.Path(u"a.txt"), FileStamp::Of(before), changed).Code,
            StatusCode::SharingViolation);
  held.reset();
  EXPECT_EQ(box.ReadAt(u"a.txt"), "being written");
  EXPECT_TRUE(fs.RemoveFileIfUnchanged(box.Path(u"a.txt"), FileStamp::Of(before), changed).IsOk());
  EXPECT_FALSE(changed);
  EXPECT_FALSE(box.ExistsAt(u"a.txt"));
}

// A file or folder moved to another volume is the same one in a new place:
// it keeps its creation and last-write times, as a rename would leave them.
// (Wine keeps no creation time of its own on most Linux file systems; there
// the last-write times alone are checked.)
TEST_F(Win32FileSystemTest, WhatIsMovedBetweenVolumesKeepsItsTimes) {
  box.MakeFolder(u"in");
  box.MakeFolder(u"out");
  box.MakeFolder(u"in\\album");
  box.WriteAt(u"in\\album\\1.jpg", "one");
  box.WriteAt(u"in\\2.jpg", "two");
  const FILETIME created{0x2A3B4C50u, 0x01D2F000u};
  const FILETIME written{0x5D6E7F80u, 0x01D30000u};
  auto setTimes = [&](const char16_t* relative) {
    HANDLE handle = ::CreateFileW(Wide(box.Path(relative)).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::SetFileTime(handle, &created, nullptr, &written));
    ::CloseHandle(handle);
  };
  auto timesOf = [&](const char16_t* relative, FILETIME& creation, FILETIME& lastWrite) {
    HANDLE handle = ::CreateFileW(Wide(box.Path(relative)).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(::GetFileTime(handle, &creation, nullptr, &lastWrite));
    ::CloseHandle(handle);
  };
  setTimes(u"in\\album\\1.jpg");
  setTimes(u"in\\album");
  setTimes(u"in\\2.jpg");
  FILETIME sourceCreation;
  FILETIME ignored;
  timesOf(u"in\\2.jpg", sourceCreation, ignored);
  const bool keepsCreation = ::CompareFileTime(&sourceCreation, &created) == 0;

  FaultInjectingFileSystem faults(fs);
  const std::u16string in = box.Path(u"in");
  faults.FailWhen(FsCall::MoveNoReplace, [&](const FsCallRecord& call) { return IsSameOrInside(call.path, in); },
                  Status::Error(StatusCode::CrossDevice));
  for (const char16_t* name : {u"in\\album", u"in\\2.jpg"}) {
    const std::vector<ItemResult> results =
        PerformFileOperation(faults, {SortMethod::Move, box.Path(name), box.Path(u"out\\"), true});
    ASSERT_EQ(results.size(), 1u);
    ASSERT_EQ(results[0].Outcome, ItemOutcome::Placed);
  }
  for (const char16_t* moved : {u"out\\album\\1.jpg", u"out\\album", u"out\\2.jpg"}) {
    FILETIME creation;
    FILETIME lastWrite;
    timesOf(moved, creation, lastWrite);
    const std::string name(moved, moved + std::char_traits<char16_t>::length(moved));
    EXPECT_EQ(::CompareFileTime(&lastWrite, &written), 0) << name;
    if (keepsCreation) {
      EXPECT_EQ(::CompareFileTime(&creation, &created), 0) << name;
    }
  }
}

// While a copy writes its temporary, another engine's clean-up cannot take it.
TEST_F(Win32FileSystemTest, ATemporaryBeingWrittenIsInUse) {
  box.WriteAt(u"a.txt", "a");
  std::shared_ptr<void> held = box.HoldOpen(box.Path(u"a.txt"));
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(fs.ProbeInUse(box.Path(u"a.txt")).Code, StatusCode::SharingViolation);
  held.reset();
  EXPECT_TRUE(fs.ProbeInUse(box.Path(u"a.txt")).IsOk());
}

// The platform's copy carries the attributes it keeps; only our three are
// set as asked, and the source is left as it was.
TEST_F(Win32FileSystemTest, ACopyKeepsTheAttributesThePlatformsCopyKeeps) {
  box.WriteAt(u"a.txt", "a");
  const std::wstring source = Wide(box.Path(u"a.txt"));
  const DWORD marked = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  ASSERT_TRUE(::SetFileAttributesW(source.c_str(), marked));
  if ((::GetFileAttributesW(source.c_str()) & FILE_ATTRIBUTE_NOT_CONTENT_INDEXED) == 0) {
    GTEST_SKIP() << "this file system keeps no indexing attribute";
  }
  FileAttributes hidden;
  hidden.Hidden = true;
  CopyReport report;
  ASSERT_TRUE(fs.CopyToNewFile(box.Path(u"a.txt"), box.Path(u"copy.txt"), CopySettings{hidden}, &report).IsOk());
  const DWORD copy = ::GetFileAttributesW(Wide(box.Path(u"copy.txt")).c_str());
  EXPECT_EQ(copy & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
  EXPECT_EQ(::GetFileAttributesW(source.c_str()) & marked, marked);
  FileInfo identity;
  ASSERT_TRUE(fs.GetIdentity(box.Path(u"copy.txt"), identity).IsOk());
  EXPECT_EQ(identity.FileId, report.CopyId);
  box.SetAttributesAt(u"a.txt", FileAttributes{});
}

}  // namespace
}  // namespace savrin
