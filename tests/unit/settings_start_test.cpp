#include "settings/settings_start.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace savrin {
namespace {

// A settings folder whose file another program may hold: unreadable for
// the first `heldReads` reads, and not to be renamed while `renameRefused`.
struct HeldSettingsFile {
  std::map<std::u16string, std::string> files;
  int heldReads = 0;
  bool renameRefused = false;
  int reads = 0;
  int waited = 0;

  SettingsFileCalls Calls() {
    return {[this](const std::u16string& path) -> std::optional<std::string> {
              ++reads;
              const auto found = files.find(path);
              if (found == files.end() || reads <= heldReads) return std::nullopt;
              return found->second;
            },
            [this](const std::u16string& path) { return files.count(path) == 1; },
            [this](const std::u16string& from, const std::u16string& to) {
              if (renameRefused || files.count(from) == 0 || files.count(to) == 1) return false;
              files[to] = files[from];
              files.erase(from);
              return true;
            },
            [this](int milliseconds) { waited += milliseconds; }};
  }
};

const std::u16string kPath = u"C:\\Tools\\Savrin.ini";
const std::u16string kStamp = u"20261209-183000";

TEST(SettingsAtStart, AFileHeldForAMomentIsReadOnceItIsFree) {
  HeldSettingsFile disk;
  disk.files[kPath] = "[Option]\r\nTime=5\r\n";
  disk.heldReads = 3;
  const SettingsAtStart read = ReadSettingsAtStart(disk.Calls(), kPath, kStamp);
  ASSERT_TRUE(read.bytes.has_value());
  EXPECT_EQ(*read.bytes, "[Option]\r\nTime=5\r\n");
  EXPECT_TRUE(read.writable);
  EXPECT_EQ(disk.waited, 600);
  EXPECT_EQ(disk.files.size(), 1u) << "nothing moved";
}

TEST(SettingsAtStart, AMissingFileIsTheDefaultsAtOnce) {
  HeldSettingsFile disk;
  const SettingsAtStart read = ReadSettingsAtStart(disk.Calls(), kPath, kStamp);
  EXPECT_FALSE(read.bytes.has_value());
  EXPECT_TRUE(read.writable);
  EXPECT_EQ(disk.waited, 0);
}

// Neither the stored rules nor the session are lost: the file is kept
// under a name that says what it is, and the session writes a fresh one.
TEST(SettingsAtStart, AFileThatStaysUnreadableIsKeptAsideAndAFreshOneWritten) {
  HeldSettingsFile disk;
  disk.files[kPath] = "the stored rules";
  disk.files[u"C:\\Tools\\Savrin.unreadable-20261209-183000.ini"] = "an earlier one";
  disk.heldReads = 1000;
  const SettingsAtStart read = ReadSettingsAtStart(disk.Calls(), kPath, kStamp);
  EXPECT_FALSE(read.bytes.has_value());
  EXPECT_TRUE(read.writable);
  EXPECT_EQ(read.keptAside, u"C:\\Tools\\Savrin.unreadable-20261209-183000-2.ini");
  EXPECT_EQ(disk.files[read.keptAside], "the stored rules");
  EXPECT_EQ(disk.files[u"C:\\Tools\\Savrin.unreadable-20261209-183000.ini"], "an earlier one");
  EXPECT_EQ(disk.files.count(kPath), 0u);
  EXPECT_EQ(disk.waited, (kSettingsReadAttempts - 1) * kSettingsReadRetryMilliseconds);
  EXPECT_LE(disk.waited, 2000) << "the start waits for a moment, not longer";
}

// Held so that it cannot even be renamed: nothing is written over it, and
// a later save moves it aside once it can.
TEST(SettingsAtStart, AFileThatCannotBeMovedIsNeverWrittenOverUntilItCan) {
  HeldSettingsFile disk;
  disk.files[kPath] = "the stored rules";
  disk.heldReads = 1000;
  disk.renameRefused = true;
  const SettingsAtStart read = ReadSettingsAtStart(disk.Calls(), kPath, kStamp);
  EXPECT_FALSE(read.writable);
  EXPECT_EQ(disk.files[kPath], "the stored rules");

  std::u16string keptAside;
  EXPECT_FALSE(MoveUnreadableSettingsAside(disk.Calls(), kPath, kStamp, keptAside));
  disk.renameRefused = false;
  EXPECT_TRUE(MoveUnreadableSettingsAside(disk.Calls(), kPath, kStamp, keptAside));
  EXPECT_EQ(keptAside, u"C:\\Tools\\Savrin.unreadable-20261209-183000.ini");
  EXPECT_EQ(disk.files[keptAside], "the stored rules");
}

}  // namespace
}  // namespace savrin
