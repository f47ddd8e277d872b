#pragma once
#include <string_view>

namespace savrin {

// How a rule's file condition matches a name. The match test and the file
// operation both ask this one function, so they never disagree.
//
//   - Only the long name is matched; 8.3 short names never are, so "*.htm"
//     does not take "page.html" (whose short name is PAGE~1.HTM).
//   - Case does not count, with the folding of case_fold.h (ASCII, Latin,
//     Greek, Cyrillic and full-width Latin letters).
//   - '*' matches any run of characters, none included.
//   - '?' matches exactly one UTF-16 unit (so a character outside the BMP,
//     held as a surrogate pair, takes "??").
//   - A pattern ending in ".*" may also match without that ending, as on
//     Windows: "*.*" matches every name, "report.*" matches "report".
//   - Without '*' or '?' the pattern is a plain name, matched whole.
//
// Cost is at most length(pattern) x length(name) steps: a failing '*' only
// ever resumes from the most recent '*', never from earlier ones.
bool NameMatches(std::u16string_view pattern, std::u16string_view name);

// A condition with '*' or '?' sorts every matching file; one without names
// one entry.
bool HasWildcard(std::u16string_view pattern);

}  // namespace savrin
