#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/settings_file.h"
#include "temp_folder.h"

namespace savrin {
namespace {

const std::u16string kName = u"振り分け.ini";

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

TEST(SettingsFileWin32, AReadOnlyFileIsNotReplaced) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  ASSERT_TRUE(ReplaceFileAtomically(path, "old").IsOk());
  ASSERT_TRUE(SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_READONLY));
  const Status status = ReplaceFileAtomically(path, "new");
  EXPECT_EQ(status.code, StatusCode::AccessDenied) << status.text << " " << status.platformError;
  EXPECT_EQ(ReadWholeFile(path), "old");
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
  EXPECT_NE(GetFileAttributesW(Wide(path)) & FILE_ATTRIBUTE_READONLY, 0u);
  SetFileAttributesW(Wide(path), FILE_ATTRIBUTE_NORMAL);
}

TEST(SettingsFileWin32, AFileHeldOpenWithoutShareDeleteIsNotReplaced) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  ASSERT_TRUE(ReplaceFileAtomically(path, "old").IsOk());
  HANDLE held = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const Status status = ReplaceFileAtomically(path, "new");
  CloseHandle(held);
  EXPECT_FALSE(status.IsOk());
  EXPECT_EQ(ReadWholeFile(path), "old");
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

TEST(SettingsFileWin32, AFileHeldForAMomentIsReplacedOnceReleased) {
  TempFolder folder;
  const std::u16string path = folder.File(kName);
  ASSERT_TRUE(ReplaceFileAtomically(path, "old").IsOk());
  // As a virus scanner looks at a fresh file: shortly, sharing nothing but reading.
  HANDLE held = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread scanner([held] {
    Sleep(100);
    CloseHandle(held);
  });
  const Status status = ReplaceFileAtomically(path, "new");
  scanner.join();
  EXPECT_TRUE(status.IsOk()) << status.text << " " << status.platformError;
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

}  // namespace
}  // namespace savrin
