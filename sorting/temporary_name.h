#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace savrin {

// The engine copies through files and folders named "~savrin-" + 16 hex
// digits + ".part" in the destination folder. The form is exact, so a user's
// own "~savrin-notes.part" is never mistaken for one, and anything of this
// form (or of the earlier form below) matches no rule.
//
// Such a temporary is never the only copy of anything: a move removes its
// source only after the copy has been renamed away from the temporary name
// and that rename is durable. So one left behind by a crash is removed the
// next time the engine works in that folder, unless it is still being
// written, leads elsewhere (a link), or is another name of a file in sight
// (a rename cut short without a journal; file_operation.h).
//
// The engine before named them "...tmp" and, on a volume whose folder flush
// did nothing, could leave one as the only copy of a moved file. Those are
// kept as they are: nothing can tell such a copy from a half-written one.
enum class TemporaryKind { None, Current, Earlier };

std::u16string TemporaryName(uint64_t unique);
TemporaryKind KindOfTemporaryName(std::u16string_view name);
inline bool IsTemporaryName(std::u16string_view name) { return KindOfTemporaryName(name) != TemporaryKind::None; }

}  // namespace savrin
