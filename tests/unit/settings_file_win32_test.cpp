#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

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
  EXPECT_EQ(status.Code, StatusCode::AccessDenied) << status.Text << " " << status.PlatformError;
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
  EXPECT_TRUE(status.IsOk()) << status.Text << " " << status.PlatformError;
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(folder.Names(), std::set<std::u16string>{kName});
}

// A folder chain deeper than MAX_PATH inside `folder`, made and removed
// through the "\\?\" form, which alone reaches that deep.
class DeepFolder {
 public:
  explicit DeepFolder(const TempFolder& folder) {
    std::u16string path = folder.Path().u16string();
    while (path.size() < 300) {
      path += u"\\フォルダ-0123456789-abcdefghij";
      made_.push_back(Prefixed(path));
      EXPECT_TRUE(CreateDirectoryW(made_.back().c_str(), nullptr)) << GetLastError();
    }
    path_ = path;
  }
  ~DeepFolder() {
    for (auto level = made_.rbegin(); level != made_.rend(); ++level) {
      WIN32_FIND_DATAW data;
      const HANDLE find = FindFirstFileW((*level + L"\\*").c_str(), &data);
      if (find != INVALID_HANDLE_VALUE) {
        do {
          if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
          const std::wstring file = *level + L"\\" + data.cFileName;
          SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(file.c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
      }
      RemoveDirectoryW(level->c_str());
    }
  }
  DeepFolder(const DeepFolder&) = delete;
  DeepFolder& operator=(const DeepFolder&) = delete;

  std::u16string File(const std::u16string& name) const { return path_ + u"\\" + name; }
  static std::wstring Prefixed(const std::u16string& path) {
    return L"\\\\?\\" + std::wstring(path.begin(), path.end());
  }

  // Names in the deepest folder: a leftover temporary file shows here.
  std::set<std::u16string> Names() const {
    std::set<std::u16string> names;
    WIN32_FIND_DATAW data;
    const HANDLE find = FindFirstFileW((made_.back() + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = data.cFileName;
      if (name != L"." && name != L"..") names.insert(std::u16string(name.begin(), name.end()));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
  }

 private:
  std::u16string path_;
  std::vector<std::wstring> made_;
};

// The settings file lies beside the program, wherever that was unpacked.
// Wine takes a path of any length in any form; Windows takes one past
// MAX_PATH only in the "\\?\" form.
TEST(SettingsFileWin32, AFileDeeperThan260CharactersIsWrittenReplacedAndReadBack) {
  TempFolder folder;
  const DeepFolder deep(folder);
  const std::u16string path = deep.File(kName);
  ASSERT_GT(path.size(), size_t{MAX_PATH});
  Status status = ReplaceFileAtomically(path, "old");
  ASSERT_TRUE(status.IsOk()) << status.Text << " " << status.PlatformError;
  status = ReplaceFileAtomically(path, "new");
  ASSERT_TRUE(status.IsOk()) << status.Text << " " << status.PlatformError;
  EXPECT_EQ(ReadWholeFile(path), "new");
  EXPECT_EQ(deep.Names(), std::set<std::u16string>{kName});
}

}  // namespace
}  // namespace savrin
