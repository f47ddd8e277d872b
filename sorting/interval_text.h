#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace savrin {

inline constexpr uint32_t kMinIntervalSeconds = 1;
inline constexpr uint32_t kMaxIntervalSeconds = 999999;

// A number at the start of a text as the C library's "%d" reads it: optional
// white space, optional sign, decimal digits, up to the first other
// character; nothing when there is no digit. Values beyond 64 bits saturate.
std::optional<int64_t> ReadLeadingNumber(std::u16string_view text);

// "%d" of a number.
std::u16string NumberText(int64_t value);

// The interval a number gives when taken as an unsigned 32-bit value: 0
// becomes 1, anything above 999999 (every negative number included) 999999.
uint32_t ClampInterval(int64_t value);

// What the interval edit shows and which interval it sets after the user
// changed its text from `previous` to `typed`.
struct IntervalEdit {
  std::u16string Text;                 // the text the edit is to show
  std::optional<uint32_t> NewInterval;  // set when the change is accepted
};
// Empty: nothing changes. No number at the start: the previous text comes
// back. A number: clamped and shown in "%d" form.
IntervalEdit ApplyIntervalText(std::u16string_view previous, std::u16string_view typed);

// The interval after the spin button proposes `delta` while the edit shows
// `text`; `current` stands in when the text holds no number.
uint32_t ApplyIntervalSpin(std::u16string_view text, int32_t delta, uint32_t current);

}  // namespace savrin
