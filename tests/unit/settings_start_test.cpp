#include "settings/settings_start.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "tests/shared/settings_invariants.h"

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
  const SettingsAtStart read = ReadSettingsAtStart(kPath, kStamp, invariants::DecodeLatin1, disk.Calls());
  ASSERT_TRUE(read.FileRead);
  EXPECT_EQ(read.Document.Serialize(), u"[Option]\r\nTime=5\r\n");
  EXPECT_TRUE(read.Writable);
  EXPECT_EQ(disk.waited, 600);
  EXPECT_EQ(disk.files.size(), 1u) << "nothing moved";
}

TEST(SettingsAtStart, AMissingFileIsTheDefaultsAtOnce) {
  HeldSettingsFile disk;
  const SettingsAtStart read = ReadSettingsAtStart(kPath, kStamp, invariants::DecodeLatin1, disk.Calls());
  EXPECT_FALSE(read.FileRead);
  EXPECT_EQ(read.Document.Serialize(), u"");
  EXPECT_TRUE(read.Writable);
  EXPECT_EQ(disk.waited, 0);
}

// Neither the stored rules nor the session are lost: the file is kept
// under a name that says what it is, and the session writes a fresh one.
TEST(SettingsAtStart, AFileThatStaysUnreadableIsKeptAsideAndAFreshOneWritten) {
  HeldSettingsFile disk;
  disk.files[kPath] = "the stored rules";
  disk.files[u"C:\\Tools\\Savrin.unreadable-20261209-183000.ini"] = "an earlier one";
  disk.heldReads = 1000;
  const SettingsAtStart read = ReadSettingsAtStart(kPath, kStamp, invariants::DecodeLatin1, disk.Calls());
  EXPECT_FALSE(read.FileRead);
  EXPECT_EQ(read.Document.Serialize(), u"");
  EXPECT_TRUE(read.Writable);
  EXPECT_EQ(read.KeptAside, u"C:\\Tools\\Savrin.unreadable-20261209-183000-2.ini");
  EXPECT_EQ(disk.files[read.KeptAside], "the stored rules");
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
  const SettingsAtStart read = ReadSettingsAtStart(kPath, kStamp, invariants::DecodeLatin1, disk.Calls());
  EXPECT_FALSE(read.Writable);
  EXPECT_FALSE(read.FileRead);
  EXPECT_EQ(disk.files[kPath], "the stored rules");

  std::u16string keptAside;
  EXPECT_FALSE(MoveUnreadableSettingsAside(kPath, kStamp, keptAside, disk.Calls()));
  disk.renameRefused = false;
  EXPECT_TRUE(MoveUnreadableSettingsAside(kPath, kStamp, keptAside, disk.Calls()));
  EXPECT_EQ(keptAside, u"C:\\Tools\\Savrin.unreadable-20261209-183000.ini");
  EXPECT_EQ(disk.files[keptAside], "the stored rules");
}

// The bytes are decoded as the settings file's encoding rules say: the
// platform's code page is asked only for a file without a byte-order mark
// that is not UTF-8.
TEST(SettingsAtStart, TheFileIsDecodedAndOnlyNonUtf8TextGoesToTheCodePage) {
  HeldSettingsFile disk;
  int ansiCalls = 0;
  const AnsiDecoder ansi = [&](std::string_view bytes) {
    ++ansiCalls;
    return invariants::DecodeLatin1(bytes);
  };

  disk.files[kPath] = std::string("\xFF\xFE[\0A\0]\0", 8);
  EXPECT_EQ(ReadSettingsAtStart(kPath, kStamp, ansi, disk.Calls()).Document.Serialize(), u"[A]\r\n");
  disk.files[kPath] = "[\xE8\xA8\xAD]";
  EXPECT_EQ(ReadSettingsAtStart(kPath, kStamp, ansi, disk.Calls()).Document.Serialize(), u"[設]\r\n");
  EXPECT_EQ(ansiCalls, 0);

  disk.files[kPath] = "[Source]\r\n0=C:\\\xE9t\xE9\r\n";
  const SettingsAtStart read = ReadSettingsAtStart(kPath, kStamp, ansi, disk.Calls());
  EXPECT_EQ(ansiCalls, 1);
  EXPECT_EQ(read.Document.Get(u"Source", u"0"), std::optional<std::u16string>(u"C:\\été"));
}

TEST(SettingsAtStart, AnEmptyFileIsReadAndHoldsTheDefaults) {
  HeldSettingsFile disk;
  disk.files[kPath] = "";
  const SettingsAtStart read = ReadSettingsAtStart(kPath, kStamp, invariants::DecodeLatin1, disk.Calls());
  EXPECT_TRUE(read.FileRead);
  EXPECT_EQ(read.Document.Serialize(), u"");
  EXPECT_TRUE(read.Writable);
  EXPECT_EQ(disk.waited, 0);
}

}  // namespace
}  // namespace savrin
