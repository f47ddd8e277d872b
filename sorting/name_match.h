#pragma once
#include <string_view>

namespace savrin {

// How a rule's file condition matches a name, as FindFirstFileW matches it
// on Windows. The match test and the file operation both ask this one
// function, so they never disagree.
//
//   - Trailing dots and spaces go first, as Win32 path handling drops them
//     ("*.pdf " is "*.pdf", "report.doc." is "report.doc"). When the
//     pattern ended in a dot, a '*' left at its end takes no dot, as in
//     "*.": "*..", "* ." and "*." take the names without a dot, while "*. "
//     (ending in a space) takes every name. Only U+0020 counts as a space:
//     an ideographic space stays part of the pattern.
//   - A pattern is rewritten as FindFirstFileW rewrites it and matched with
//     the file system's rules for '*', '?' and its DOS wildcards: '*' takes
//     any run of characters; '?' takes one, or none before a dot or at the
//     end ("a?.txt" takes "a.txt", "???" takes "ab"); a ".*" or ".?" may
//     match nothing at the end ("*.*" and "*.*.*" take "README",
//     "report.*" takes "report").
//   - Case does not count, with the file system's upper-casing (case_fold.h).
//   - '?' stands for one UTF-16 unit, so a character outside the BMP, held as
//     a surrogate pair, takes "??".
//   - Two choices of our own, unlike FindFirstFileW: only the long name is
//     matched, never the 8.3 short name, so "*.htm" does not take
//     "page.html" (short name PAGE~1.HTM); and the operation takes no hidden
//     or system file under a wildcard (file_operation.h).
//   - Without '*' or '?' the pattern is a plain name, matched whole once
//     trimmed: "report.doc " takes "report.doc" and not a name that really
//     ends in a space or dot, which Win32 could not open by it either.
//
// Cost is at most length(pattern) x length(name) steps.
bool NameMatches(std::u16string_view pattern, std::u16string_view name);

// The pattern without its trailing dots and spaces: the name Win32 makes of
// it, and so the name a plain condition gives the file it sorts.
std::u16string_view TrimTrailingDotsAndSpaces(std::u16string_view pattern);

// A condition with '*' or '?' sorts every matching file; one without names
// one entry.
bool HasWildcard(std::u16string_view pattern);

}  // namespace savrin
