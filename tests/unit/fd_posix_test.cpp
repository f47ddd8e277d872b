#include "platform/fd_posix.h"

#include <sys/resource.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <climits>

namespace savrin {
namespace {

// A descriptor the kernel never hands out: one at the process's limit.
int NeverOpened() {
  rlimit limit{};
  EXPECT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
  return static_cast<int>(std::min<rlim_t>(limit.rlim_cur, INT_MAX));
}

// The engine hears late write errors (NFS) only through Close's result, so
// a failing close() must come back as -1 with its errno, not be swallowed.
TEST(FdPosix, CloseSaysWhenCloseFails) {
  Fd fd(NeverOpened());
  ASSERT_TRUE(fd.Valid());
  errno = 0;
  EXPECT_EQ(fd.Close(), -1);
  EXPECT_EQ(errno, EBADF);
  EXPECT_FALSE(fd.Valid());
}

}  // namespace
}  // namespace savrin
