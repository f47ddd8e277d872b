#pragma once
#include <string>

#include "platform/file_system.h"
#include "platform/status.h"

namespace savrin {

// Makes the folder part of a destination exist: of "D:\out\2005\" (or
// "D:\out\2005\report.doc") every folder below the root, "D:\out" and then
// "D:\out\2005", is created if missing. A root ("C:\", "\\server\share\",
// "/") is never created. The parent of each folder made is flushed, so the
// new name is on the disk before anything is moved into it (one flush per
// folder made; nothing where the volume cannot flush a folder). A folder
// that cannot be made is passed over; the operation that follows fails on
// its own. Ok when the whole folder path exists afterwards, which callers
// may ignore.
Status MakeFolderPathExist(FileSystem& fileSystem, const std::u16string& folderPath);

}  // namespace savrin
