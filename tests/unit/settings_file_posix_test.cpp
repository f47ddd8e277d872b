#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/settings_file.h"
#include "temp_folder.h"

namespace savrin {
namespace {

namespace fs = std::filesystem;

const std::u16string kName = u"振り分け.ini";

// Permissions do not bind root, and the build machine runs as root; there the
// checks run as "nobody" for their duration so that they still test something.
class AsUnprivilegedUser {
 public:
  AsUnprivilegedUser() {
    if (::geteuid() != 0) {
      active_ = true;
    } else if (::setegid(65534) == 0 && ::seteuid(65534) == 0) {
      active_ = dropped_ = true;
    }
  }
  ~AsUnprivilegedUser() {
    if (dropped_) {
      EXPECT_EQ(::seteuid(0), 0);
      EXPECT_EQ(::setegid(0), 0);
    }
  }
  AsUnprivilegedUser(const AsUnprivilegedUser&) = delete;
  AsUnprivilegedUser& operator=(const AsUnprivilegedUser&) = delete;
  bool Active() const { return active_; }

 private:
  bool active_ = false;
  bool dropped_ = false;
};

mode_t ModeOf(const std::u16string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(fs::path(path).c_str(), &info), 0);
  return info.st_mode & 07777;
}

TEST(SettingsFilePosix, AReadOnlyFolderKeepsTheOldFile) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  ASSERT_TRUE(ReplaceFileAtomically(path, "old").IsOk());
  fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  Status status;
  {
    AsUnprivilegedUser user;
    if (!user.Active()) GTEST_SKIP() << "running as root and cannot become another user";
    status = ReplaceFileAtomically(path, "new");
  }
  EXPECT_EQ(status.Code, StatusCode::AccessDenied);
  EXPECT_EQ(ReadWholeFile(path), "old");
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

TEST(SettingsFilePosix, AnUnreadableFileIsNullopt) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  ASSERT_TRUE(ReplaceFileAtomically(path, "secret").IsOk());
  fs::permissions(fs::path(path), fs::perms::none);
  AsUnprivilegedUser user;
  if (!user.Active()) GTEST_SKIP() << "running as root and cannot become another user";
  EXPECT_EQ(ReadWholeFile(path), std::nullopt);
}

TEST(SettingsFilePosix, AReplacedFileKeepsItsPermissions) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  ASSERT_TRUE(ReplaceFileAtomically(path, "old").IsOk());
  fs::permissions(fs::path(path), fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(ReplaceFileAtomically(path, "new").IsOk());
  EXPECT_EQ(ModeOf(path), 0600u);
  EXPECT_EQ(ReadWholeFile(path), "new");
}

}  // namespace
}  // namespace savrin
