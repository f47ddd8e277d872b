#include "settings/settings_encoding.h"

#include "platform/utf.h"

namespace savrin {
namespace {

constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr char16_t kReplacement = 0xFFFD;

bool StartsWith(std::string_view bytes, std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; }

std::u16string DecodeUtf16Le(std::string_view bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  }
  return out;
}

// One U+FFFD for each maximal ill-formed subsequence, as Unicode recommends,
// so a damaged byte never swallows the valid characters after it.
std::u16string DecodeUtf8Leniently(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i++]);
    if (lead < 0x80) {
      out.push_back(lead);
      continue;
    }
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      out.push_back(kReplacement);
      continue;
    }
    char32_t cp = lead & (0x7F >> length);
    size_t taken = 1;
    for (; taken < length && i < bytes.size(); ++taken, ++i) {
      const auto next = static_cast<unsigned char>(bytes[i]);
      if (next < low || next > high) break;
      cp = (cp << 6) | (next & 0x3F);
      low = 0x80, high = 0xBF;
    }
    if (taken < length) {
      out.push_back(kReplacement);
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char16_t>(cp));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

}  // namespace

std::u16string DecodeSettingsBytes(std::string_view bytes, const AnsiDecoder& ansi) {
  if (StartsWith(bytes, kUtf16LeBom)) return DecodeUtf16Le(bytes.substr(kUtf16LeBom.size()));
  if (StartsWith(bytes, kUtf8Bom)) return DecodeUtf8Leniently(bytes.substr(kUtf8Bom.size()));
  if (auto utf8 = DecodeUtf8(bytes)) return std::move(*utf8);
  return ansi ? ansi(bytes) : DecodeUtf8Leniently(bytes);
}

std::string EncodeSettingsText(const std::u16string& text) {
  std::string out(kUtf16LeBom);
  out.reserve(kUtf16LeBom.size() + 2 * text.size());
  for (const char16_t unit : text) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
  return out;
}

}  // namespace savrin
