#pragma once
#include <string>

#include "platform/status.h"

namespace savrin {

// The no-replace rename for file systems that refuse RENAME_NOREPLACE
// (EINVAL): a file gets a second name with link() and loses the old one with
// unlink(); a folder first claims the new name with an empty folder of its
// own, which rename() may replace. Declared here so that tests reach it on
// file systems that do support the flag.
Status MoveNoReplaceWithoutRenameFlag(const std::u16string& from, const std::u16string& to);

}  // namespace savrin
