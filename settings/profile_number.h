#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace savrin {

// The number a settings value begins with, read as "%d" reads it: optional
// white space (space, tab, CR, LF, VT, FF), an optional sign, decimal digits,
// up to the first other character. nullopt when no digit comes. Digits past
// the int32 range wrap modulo 2^32, so a condition word stored unsigned
// ("4294901760") reads back as the same 32 bits (-65536).
std::optional<int32_t> ReadDecimal(std::u16string_view text);

// As ReadDecimal, but "%x": hexadecimal digits after an optional 0x or 0X
// ("10" is 16; "0x" alone is 0, its 0 being a digit).
std::optional<int32_t> ReadHex(std::u16string_view text);

// Signed decimal without leading zeros, as "%d" writes it.
std::u16string FormatDecimal(int64_t value);

}  // namespace savrin
