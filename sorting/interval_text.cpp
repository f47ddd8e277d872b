#include "sorting/interval_text.h"

#include <limits>

namespace savrin {

std::optional<int64_t> ReadLeadingNumber(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const size_t firstDigit = i;
  // Accumulate as a negative number: its range holds the most negative value.
  constexpr int64_t kLowest = std::numeric_limits<int64_t>::min();
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    const int digit = text[i] - u'0';
    value = value < (kLowest + digit) / 10 ? kLowest : value * 10 - digit;
  }
  if (i == firstDigit) return std::nullopt;
  if (negative) return value;
  return value == kLowest ? std::numeric_limits<int64_t>::max() : -value;
}

std::u16string NumberText(int64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

uint32_t ClampInterval(int64_t value) {
  // Unsigned as the program has always taken it: -5 is a huge interval.
  if (value < 0 || value > static_cast<int64_t>(kMaxIntervalSeconds)) return kMaxIntervalSeconds;
  return value == 0 ? kMinIntervalSeconds : static_cast<uint32_t>(value);
}

IntervalEdit ApplyIntervalText(std::u16string_view previous, std::u16string_view typed) {
  if (typed.empty()) return {std::u16string(), std::nullopt};
  const std::optional<int64_t> number = ReadLeadingNumber(typed);
  if (!number) return {std::u16string(previous), std::nullopt};
  const uint32_t interval = ClampInterval(*number);
  return {NumberText(interval), interval};
}

uint32_t ApplyIntervalSpin(std::u16string_view text, int32_t delta, uint32_t current) {
  const int64_t start = ReadLeadingNumber(text).value_or(current);
  // The sum is taken as a 32-bit unsigned value, so a result below 0 wraps
  // to a huge number and clamps to the top, not to 1.
  const auto sum = static_cast<uint32_t>(static_cast<uint64_t>(start) + static_cast<uint64_t>(static_cast<int64_t>(delta)));
  return sum == 0 ? kMinIntervalSeconds : (sum > kMaxIntervalSeconds ? kMaxIntervalSeconds : sum);
}

}  // namespace savrin
