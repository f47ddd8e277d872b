#include "platform/path_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace savrin {
namespace {

// Wine opens a path of any length and any share without the "\\?\" form,
// so no test that only opens files would notice the form going missing or
// going wrong; Windows would stop at MAX_PATH.
TEST(ToWin32Path, ADrivePathTakesTheLongForm) {
  std::u16string deep = u"C:\\Tools";
  while (deep.size() < 300) deep += u"\\フォルダ-0123456789";
  const std::u16string path = deep + u"\\振り分け.ini";
  EXPECT_EQ(ToWin32Path(path), L"\\\\?\\" + std::wstring(path.begin(), path.end()));
}

TEST(ToWin32Path, AShareTakesTheLongUncForm) {
  EXPECT_EQ(ToWin32Path(u"\\\\server\\share\\Tools\\a.ini"), L"\\\\?\\UNC\\server\\share\\Tools\\a.ini");
}

TEST(ToWin32Path, LongFormsAndDevicePathsAreLeftAsTheyAre) {
  EXPECT_EQ(ToWin32Path(u"\\\\?\\C:\\Tools/a.ini"), L"\\\\?\\C:\\Tools/a.ini");
  EXPECT_EQ(ToWin32Path(u"\\\\?\\UNC\\server\\share\\a.ini"), L"\\\\?\\UNC\\server\\share\\a.ini");
  EXPECT_EQ(ToWin32Path(u"\\\\.\\pipe\\savrin"), L"\\\\.\\pipe\\savrin");
}

}  // namespace
}  // namespace savrin
