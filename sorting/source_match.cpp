#include "sorting/source_match.h"

#include <vector>

#include "platform/path_text.h"
#include "sorting/name_match.h"
#include "sorting/temporary_name.h"

namespace savrin {

bool AnyEntryMatches(FileSystem& fileSystem, const std::u16string& sourcePatternPath) {
  const PathSplit split = SplitAtLastSeparator(sourcePatternPath);
  if (split.name.empty()) return false;
  std::vector<FileInfo> entries;
  if (!fileSystem.ListFolder(split.folder, entries).IsOk()) return false;
  for (const FileInfo& entry : entries) {
    if (!IsTemporaryName(entry.name) && NameMatches(split.name, entry.name)) return true;
  }
  return false;
}

}  // namespace savrin
