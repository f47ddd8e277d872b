#include "settings/profile_number.h"

#include <limits>

namespace savrin {
namespace {

bool IsScanSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

int DigitValue(char16_t c, int base) {
  int value = 99;
  if (c >= u'0' && c <= u'9') value = c - u'0';
  if (c >= u'a' && c <= u'f') value = c - u'a' + 10;
  if (c >= u'A' && c <= u'F') value = c - u'A' + 10;
  return value < base ? value : -1;
}

// Two's complement reinterpretation spelt out: converting an unsigned value
// past INT32_MAX to int32_t is only implementation-defined before C++20.
int32_t WrapToInt32(uint32_t bits) {
  if (bits <= static_cast<uint32_t>(std::numeric_limits<int32_t>::max())) return static_cast<int32_t>(bits);
  return static_cast<int32_t>(bits - 0x80000000u) + std::numeric_limits<int32_t>::min();
}

std::optional<int32_t> ReadNumber(std::u16string_view text, int base) {
  size_t i = 0;
  while (i < text.size() && IsScanSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  bool anyDigit = false;
  if (base == 16 && i + 1 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
    anyDigit = true;
    i += 2;
  }
  uint32_t bits = 0;  // unsigned, so overflow wraps instead of being undefined
  for (int digit; i < text.size() && (digit = DigitValue(text[i], base)) >= 0; ++i) {
    bits = bits * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    anyDigit = true;
  }
  if (!anyDigit) return std::nullopt;
  return WrapToInt32(negative ? 0u - bits : bits);
}

}  // namespace

std::optional<int32_t> ReadDecimal(std::u16string_view text) { return ReadNumber(text, 10); }

std::optional<int32_t> ReadHex(std::u16string_view text) { return ReadNumber(text, 16); }

std::u16string FormatDecimal(int64_t value) {
  // Magnitude in unsigned arithmetic: negating INT64_MIN as a signed value overflows.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) digits.insert(digits.begin(), u'-');
  return digits;
}

}  // namespace savrin
