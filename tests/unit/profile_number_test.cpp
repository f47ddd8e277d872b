#include "settings/profile_number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace savrin {
namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct NumberCase {
  std::u16string text;
  std::optional<int32_t> value;
};

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (const char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

TEST(ReadDecimal, ReadsTheLeadingNumberAsScanfDoes) {
  const NumberCase cases[] = {
      {u"60", 60},           {u"0", 0},
      {u"-65536", -65536},   {u"+7", 7},
      {u"007", 7},           {u"60abc", 60},
      {u"12 34", 12},        {u" \t\r\n\v\f42", 42},
      {u"-0", 0},            {u"2147483647", kMax},
      {u"-2147483648", kMin}, {u"", std::nullopt},
      {u"abc", std::nullopt}, {u"-", std::nullopt},
      {u"+-1", std::nullopt}, {u"- 1", std::nullopt},
      {u"0x10", 0},          {u"\u30001", std::nullopt},  // ideographic space is no scanf space
      {u"１２", std::nullopt},  // full-width digits are no digits
  };
  for (const auto& c : cases) EXPECT_EQ(ReadDecimal(c.text), c.value) << Narrow(c.text);
}

TEST(ReadDecimal, DigitsPastTheInt32RangeWrapModulo2To32) {
  const NumberCase cases[] = {
      {u"2147483648", kMin},
      {u"4294901760", -65536},  // a condition word stored unsigned keeps its bits
      {u"4294967295", -1},
      {u"4294967296", 0},
      {u"4294967356", 60},
      {u"-2147483649", kMax},
      {u"99999999999", 1215752191},                       // 99999999999 mod 2^32
      {u"99999999999999999999999999999999999999999", -1},  // 10^41 - 1: 2^32 divides 10^41
  };
  for (const auto& c : cases) EXPECT_EQ(ReadDecimal(c.text), c.value) << Narrow(c.text);
}

TEST(ReadHex, ReadsTheLeadingNumberAsScanfDoesInBase16) {
  const NumberCase cases[] = {
      {u"0", 0},       {u"1", 1},          {u"10", 16},          {u"0x1", 1},
      {u"0X1f", 31},   {u"fF", 255},       {u"  -0x10", -16},    {u"+a", 10},
      {u"0x", 0},      {u"0xg", 0},        {u"1g", 1},           {u"ffffffff", -1},
      {u"100000001", 1}, {u"", std::nullopt}, {u"x1", std::nullopt}, {u"g", std::nullopt},
      {u"-", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadHex(c.text), c.value) << Narrow(c.text);
}

TEST(FormatDecimal, WritesSignedDecimalWithoutLeadingZeros) {
  EXPECT_EQ(FormatDecimal(0), u"0");
  EXPECT_EQ(FormatDecimal(60), u"60");
  EXPECT_EQ(FormatDecimal(-65536), u"-65536");
  EXPECT_EQ(FormatDecimal(kMin), u"-2147483648");
  EXPECT_EQ(FormatDecimal(std::numeric_limits<int64_t>::min()), u"-9223372036854775808");
  EXPECT_EQ(FormatDecimal(std::numeric_limits<int64_t>::max()), u"9223372036854775807");
}

TEST(FormatDecimal, ReadsBackThroughReadDecimal) {
  for (const int32_t value : {0, 1, -1, 9, 10, 65793, -65536, kMin, kMax}) {
    EXPECT_EQ(ReadDecimal(FormatDecimal(value)), value);
  }
}

}  // namespace
}  // namespace savrin
