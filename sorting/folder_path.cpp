#include "sorting/folder_path.h"

#include "platform/path_text.h"

namespace savrin {

Status MakeFolderPathExist(FileSystem& fileSystem, const std::u16string& folderPath) {
  const std::u16string folder = SplitAtLastSeparator(folderPath).Folder;
  const size_t rootLength = RootLength(folder);
  if (folder.size() <= rootLength) return Status::Ok();
  // The usual case, checked first: the whole path is there already.
  FileInfo info;
  if (fileSystem.GetInfo(folder, info).IsOk() && info.IsFolder) return Status::Ok();
  // Every level is attempted, not only those below the first that is
  // missing: an existing level says Exists and the next one carries on.
  // A folder made here has its name made durable in its parent at once:
  // files are moved into it later, and their sources go once the folder
  // they are in is flushed, which says nothing of the folder's own name.
  for (size_t end = rootLength; end <= folder.size(); ++end) {
    if (end < folder.size() && !IsSeparator(folder[end])) continue;
    if (end == rootLength || IsSeparator(folder[end - 1])) continue;
    const std::u16string level = folder.substr(0, end);
    if (fileSystem.CreateFolder(level).IsOk()) fileSystem.FlushFolder(SplitAtLastSeparator(level).Folder);
  }
  const Status status = fileSystem.GetInfo(folder, info);
  if (!status.IsOk()) return status;
  if (!info.IsFolder) return Status::Error(StatusCode::Exists, 0, "a file has the folder's name");
  return Status::Ok();
}

}  // namespace savrin
