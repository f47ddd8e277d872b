#include "sorting/source_match.h"

#include <vector>

#include "platform/path_text.h"
#include "sorting/name_match.h"
#include "sorting/temporary_name.h"

namespace savrin {

bool AnyEntryMatches(FileSystem& fileSystem, const std::u16string& sourcePatternPath) {
  const PathSplit split = SplitAtLastSeparator(sourcePatternPath);
  if (split.Name.empty()) return false;
  std::vector<std::u16string> names;
  if (!fileSystem.ListNames(split.Folder, names).IsOk()) return false;
  for (const std::u16string& name : names) {
    if (!IsTemporaryName(name) && NameMatches(split.Name, name)) return true;
  }
  return false;
}

}  // namespace savrin
