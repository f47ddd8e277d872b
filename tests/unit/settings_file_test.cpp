#include "platform/settings_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "temp_folder.h"

namespace savrin {
namespace {

namespace fs = std::filesystem;

const std::u16string kName = u"振り分け.ini";

std::string BinaryBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) >> 3);
  return bytes;
}

TEST(SettingsFile, WrittenBytesReadBackExactly) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  for (const std::string& bytes : {std::string(), std::string("\xFF\xFE[\0S\0]\0", 8), BinaryBytes(3 << 20, 7)}) {
    ASSERT_TRUE(ReplaceFileAtomically(path, bytes).IsOk());
    EXPECT_EQ(ReadWholeFile(path), bytes);
    EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
  }
}

TEST(SettingsFile, ReplacingLeavesNothingOfTheOldContent) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  ASSERT_TRUE(ReplaceFileAtomically(path, BinaryBytes(100000, 1)).IsOk());
  ASSERT_TRUE(ReplaceFileAtomically(path, "short").IsOk());
  EXPECT_EQ(ReadWholeFile(path), "short");
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

TEST(SettingsFile, EitherSeparatorWorks) {
  TempFolder folder;
  const std::u16string base = folder.Path().u16string();
  ASSERT_TRUE(ReplaceFileAtomically(base + u"\\" + kName, "back").IsOk());
  EXPECT_EQ(ReadWholeFile(base + u"/" + kName), "back");
  ASSERT_TRUE(ReplaceFileAtomically(base + u"/" + kName, "forward").IsOk());
  EXPECT_EQ(ReadWholeFile(base + u"\\" + kName), "forward");
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

TEST(SettingsFile, WhatCannotBeReadIsNullopt) {
  TempFolder folder;
  EXPECT_EQ(ReadWholeFile(folder.File(u"missing.ini")), std::nullopt);
  EXPECT_EQ(ReadWholeFile(folder.File(u"no folder") + u"/x.ini"), std::nullopt);
  EXPECT_EQ(ReadWholeFile(u""), std::nullopt);
  EXPECT_EQ(ReadWholeFile(folder.Path().u16string()), std::nullopt) << "a folder";
  // Past the limit; sparse, so it costs no disk.
  const std::u16string huge = folder.File(u"huge.ini");
  { std::ofstream(fs::path(huge), std::ios::binary).put('x'); }
  fs::resize_file(fs::path(huge), kMaxSettingsFileBytes + 1);
  EXPECT_EQ(ReadWholeFile(huge), std::nullopt);
  // An empty file is there, only empty.
  const std::u16string empty = folder.File(u"empty.ini");
  { std::ofstream(fs::path(empty), std::ios::binary).flush(); }
  EXPECT_EQ(ReadWholeFile(empty), std::string());
}

TEST(SettingsFile, AFolderInPlaceOfTheFileStaysAndNoTemporaryFileRemains) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  fs::create_directory(fs::path(path));
  const Status status = ReplaceFileAtomically(path, "new");
  EXPECT_FALSE(status.IsOk());
  EXPECT_NE(status.PlatformError, 0);
  EXPECT_TRUE(fs::is_directory(fs::path(path)));
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

TEST(SettingsFile, AMissingFolderOrPathFailsWithoutCreatingAnything) {
  TempFolder folder;
  EXPECT_EQ(ReplaceFileAtomically(folder.File(u"gone") + u"/x.ini", "new").Code, StatusCode::NotFound);
  EXPECT_EQ(ReplaceFileAtomically(u"", "new").Code, StatusCode::NotFound);
  EXPECT_TRUE(folder.Names().empty());
}

// A reader running alongside must only ever see the old or the new complete
// file: never a missing, empty, cut or mixed one. It pauses between reads as
// any real reader would: on Windows a file cannot be renamed over while it
// is open, and the writer waits for such moments.
TEST(SettingsFile, AConcurrentReaderSeesOnlyCompleteFiles) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  const std::string first = BinaryBytes(200000, 1), second = BinaryBytes(150000, 2);
  ASSERT_TRUE(ReplaceFileAtomically(path, first).IsOk());
  std::atomic<bool> done{false};
  std::atomic<int> reads{0}, bad{0};
  std::thread reader([&] {
    while (!done) {
      const auto bytes = ReadWholeFile(path);
      if (!bytes || (*bytes != first && *bytes != second)) ++bad;
      ++reads;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  int failedWrites = 0;
  for (int i = 0; i < 40; ++i) {
    if (!ReplaceFileAtomically(path, i % 2 ? first : second).IsOk()) ++failedWrites;
  }
  while (reads < 20) std::this_thread::yield();
  done = true;
  reader.join();
  EXPECT_EQ(bad, 0) << "of " << reads << " reads";
  EXPECT_EQ(failedWrites, 0);
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

TEST(TempPathFor, SitsBesideTheTargetWithARecognisableName) {
  EXPECT_EQ(TempPathFor(u"C:\\Tools\\sorter.ini", 0x0123456789ABCDEFull),
            u"C:\\Tools\\sorter.ini.savrin-0123456789abcdef.tmp");
  EXPECT_NE(TempPathFor(u"a.ini", 1), TempPathFor(u"a.ini", 2));
}

}  // namespace
}  // namespace savrin
