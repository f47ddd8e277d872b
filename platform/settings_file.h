#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace savrin {

// Larger than any settings file the program could have written; a file past
// it is refused as unreadable rather than pulled into memory.
inline constexpr uint64_t kMaxSettingsFileBytes = uint64_t{64} << 20;

// The whole file, or nullopt when it is missing, unreadable, a folder, or
// larger than kMaxSettingsFileBytes.
std::optional<std::string> ReadWholeFile(const std::u16string& path);

// Replaces the file so that at every instant it is either the old or the new
// complete file: the bytes go to a new temporary file in the same folder,
// are flushed to disk, and the temporary file is renamed over the target. On
// failure the old file is untouched and the temporary file is gone.
// Windows paths go to the wide API in the "\\?\" form ToWin32Path makes, so
// that a folder deeper than 260 characters works; the POSIX backend takes
// '\' as '/' and passes UTF-8.
Status ReplaceFileAtomically(const std::u16string& path, std::string_view bytes);

// Whether anything (file or folder) has that name.
bool ExistsOnDisk(const std::u16string& path);

// Renames `from` to `to` in one step, never replacing anything at `to`.
Status RenameNoReplace(const std::u16string& from, const std::u16string& to);

// The temporary file that stands beside `path` while it is replaced:
// "<path>.savrin-<16 hex digits>.tmp", recognisable as ours if one is ever
// left behind by a crash.
std::u16string TempPathFor(const std::u16string& path, uint64_t unique);

}  // namespace savrin
