#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rules/sort_rule.h"

namespace savrin {

// Room for 260 characters and a terminator, as in every text buffer of the
// program. A path in a request is followed by at least two NULs (the list
// form the operation takes: one entry, then an empty one), so it may hold at
// most 259 characters.
inline constexpr size_t kPathBufferChars = kMaxTextLength + 1;

enum class FileOpFunction : uint32_t { Move = 1, Copy = 2 };

// Flag values as the platform's shell operation numbers them.
enum FileOpFlags : uint16_t {
  kFofSilent = 0x0004,
  kFofRenameOnCollision = 0x0008,
  kFofNoConfirmation = 0x0010,
  kFofFilesOnly = 0x0080,
  kFofNoConfirmMkdir = 0x0200,
  kFofNoErrorUi = 0x0400,
};
inline constexpr uint16_t kBaseFileOpFlags =
    kFofSilent | kFofNoConfirmation | kFofFilesOnly | kFofNoConfirmMkdir | kFofNoErrorUi;  // 0x0694

// The one operation handed from the sorting pass to the file-operation
// worker. While it is published (PendingRequest set) only the worker touches
// it: it reads it, and sets AnyOperationsAborted before clearing the pointer
// when the operation ended by an exception.
struct FileOpRequest {
  FileOpFunction Function = FileOpFunction::Move;
  char16_t From[kPathBufferChars] = {};  // source folder, separator, file condition
  char16_t To[kPathBufferChars] = {};    // destination folder, separator (, file condition)
  uint16_t Flags = kBaseFileOpFlags;
  int32_t AnyOperationsAborted = 0;  // set, never cleared, by the worker; the pass clears it
};

// Fills From and To for a rule: each buffer cleared, the folder given a
// trailing backslash when it has none, then the condition appended (to To
// only for a plain name, that is a word without the wildcard flag, and
// without trailing dots and spaces: the name Win32 would give the target,
// where a name kept as typed would be one Explorer cannot open). Returns
// false, with both buffers left cleared, when a joined path would leave no
// room for its two NULs: such a rule is passed over.
bool BuildRequestPaths(FileOpRequest& request, std::u16string_view source, std::u16string_view destination,
                       std::u16string_view pattern, ConditionWord word);

// Operation and flags for a rule: copy when the method byte is not zero;
// rename on collision when the collision byte is zero.
void SetRequestOperation(FileOpRequest& request, ConditionWord word);

// The destination text up to and including its last separator ('\' or '/'):
// the folder that must exist before the operation.
std::u16string DestinationFolderPath(const FileOpRequest& request);

std::u16string_view BufferText(const char16_t (&buffer)[kPathBufferChars]);

struct FileOperation;
// The engine's view of a published request.
FileOperation ToFileOperation(const FileOpRequest& request);

}  // namespace savrin
