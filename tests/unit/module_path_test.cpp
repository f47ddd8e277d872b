#include "platform/module_path.h"

#include <gtest/gtest.h>

namespace savrin {
namespace {

TEST(ProgramNameFromModulePath, DropsFolderAndExtension) {
  EXPECT_EQ(ProgramNameFromModulePath(u"C:\\Tools\\Savrin.exe"), u"Savrin");
  EXPECT_EQ(ProgramNameFromModulePath(u"D:\\ツール\\振り分け.exe"), u"振り分け");
  EXPECT_EQ(ProgramNameFromModulePath(u"\\\\server\\share\\Savrin.EXE"), u"Savrin");
  EXPECT_EQ(ProgramNameFromModulePath(u"/opt/savrin/Savrin.exe"), u"Savrin");
}

TEST(ProgramNameFromModulePath, OnlyTheLastExtensionGoes) {
  EXPECT_EQ(ProgramNameFromModulePath(u"C:\\a.b\\sorter.v2.exe"), u"sorter.v2");
  // A dot in a folder name is no extension of the file.
  EXPECT_EQ(ProgramNameFromModulePath(u"C:\\a.b\\sorter"), u"sorter");
  EXPECT_EQ(ProgramNameFromModulePath(u"sorter"), u"sorter");
  EXPECT_EQ(ProgramNameFromModulePath(u""), u"");
}

}  // namespace
}  // namespace savrin
