#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace savrin {

// Strict UTF-8 decoding: overlong forms, encoded surrogates, code points past
// U+10FFFF and cut sequences make the whole text invalid (nullopt), so that a
// caller can tell UTF-8 from another encoding.
std::optional<std::u16string> DecodeUtf8(std::string_view bytes);

// UTF-16 to UTF-8. An unpaired surrogate, which Windows file names may hold
// but UTF-8 cannot, becomes U+FFFD.
std::string EncodeUtf8(std::u16string_view text);

}  // namespace savrin
