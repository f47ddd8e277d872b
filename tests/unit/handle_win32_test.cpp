#include "platform/handle_win32.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace savrin {
namespace {

// A value no handle table reaches: handles are handed out from the bottom up.
const HANDLE kNeverOpened = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FFFFFF0));

// The engine hears late write errors only through Close's result, so a
// failing CloseHandle must come back as false, not be swallowed.
TEST(FileHandleWin32, CloseSaysWhenCloseHandleFails) {
  FileHandle handle(kNeverOpened);
  ASSERT_TRUE(handle.Valid());
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(handle.Close());
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(handle.Valid());
}

}  // namespace
}  // namespace savrin
