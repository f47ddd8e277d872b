#pragma once
#include <functional>
#include <optional>
#include <string>

#include "settings/ini_document.h"
#include "settings/settings_encoding.h"

namespace savrin {

// The calls the start-up read makes of the settings file, so that a file
// held by another program can be played in tests.
struct SettingsFileCalls {
  std::function<std::optional<std::string>(const std::u16string& path)> Read;
  std::function<bool(const std::u16string& path)> Exists;
  std::function<bool(const std::u16string& from, const std::u16string& to)> RenameNoReplace;
  std::function<void(int milliseconds)> Wait;
};

// The settings file as the platform stores it (platform/settings_file.h);
// the waits block the calling thread.
const SettingsFileCalls& PlatformSettingsFile();

// A sync client or a virus scanner may hold the settings file for a moment
// just as the program starts: the read is tried again for this long.
inline constexpr int kSettingsReadAttempts = 11;
inline constexpr int kSettingsReadRetryMilliseconds = 200;

struct SettingsAtStart {
  // The stored settings; empty, so that the program starts on its defaults,
  // when there was no file or it could not be read.
  IniDocument Document;
  bool FileRead = false;  // a file was read (even one that held nothing)
  // False while a file is there that could be neither read nor moved out of
  // the way: writing the defaults over it would lose the stored rules.
  bool Writable = true;
  std::u16string KeptAside;  // where an unreadable file now is, if it was moved
};

// The program's one read of its settings file: read, trying again while
// another program holds it, and decoded (DecodeSettingsBytes; `ansi` is the
// platform's code page, for files without a byte-order mark that are not
// UTF-8). A file that stays unreadable is moved aside under
// UnreadableSettingsPath, so that the session saves to a fresh file and the
// stored rules stay on disk. `stamp` tells one such file from the next
// ("20261209-183000").
SettingsAtStart ReadSettingsAtStart(const std::u16string& path, const std::u16string& stamp,
                                    const AnsiDecoder& ansi, const SettingsFileCalls& calls = PlatformSettingsFile());

// Tries again to move an unreadable settings file aside; true once nothing
// stands in the way of writing a fresh one (also when the file is gone).
bool MoveUnreadableSettingsAside(const std::u16string& path, const std::u16string& stamp, std::u16string& keptAside,
                                 const SettingsFileCalls& calls = PlatformSettingsFile());

// "C:\Tools\Savrin.ini" -> "C:\Tools\Savrin.unreadable-<stamp>.ini", and
// "-<stamp>-2" and on when that name is taken.
std::u16string UnreadableSettingsPath(const std::u16string& path, const std::u16string& stamp, int attempt);

}  // namespace savrin
