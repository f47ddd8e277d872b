# Sourced by the other scripts: one Wine prefix of the build's own, quiet and
# without the Mono/Gecko installers, and a UTF-8 locale so that Japanese text
# passed on command lines and printed to the console survives.
savrin_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${SAVRIN_WINEPREFIX:-$savrin_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8
