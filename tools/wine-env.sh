# Sourced by the other scripts: one Wine prefix of the build's own, quiet and
# without the Mono/Gecko installers, and the Japanese UTF-8 locale: Wine then
# uses code page 932 as its ANSI code page, as a Japanese desktop does, and
# Japanese text on command lines and the console survives.
savrin_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${SAVRIN_WINEPREFIX:-$savrin_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
unset LC_ALL
