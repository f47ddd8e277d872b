#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace savrin {

// The system's ANSI code page decoder (CP932 on Japanese Windows), supplied by
// the shell because only the platform knows the code page.
using AnsiDecoder = std::function<std::u16string(std::string_view)>;

// The settings file's bytes as text. UTF-16LE with its BOM: as stored (an odd
// last byte dropped, unpaired surrogates kept). UTF-8 with its BOM: decoded,
// each ill-formed part becoming U+FFFD. No BOM: UTF-8 when the whole file is
// valid UTF-8, else the ANSI decoder (files older versions wrote). Without an
// ANSI decoder, bytes that are not UTF-8 become U+FFFD.
std::u16string DecodeSettingsBytes(std::string_view bytes, const AnsiDecoder& ansi);

// UTF-16LE with BOM: the one encoding the profile functions read that holds
// every folder name Windows allows, Korean and emoji included.
std::string EncodeSettingsText(const std::u16string& text);

}  // namespace savrin
