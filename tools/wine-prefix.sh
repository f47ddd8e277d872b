#!/usr/bin/env bash
# Makes the build's Wine prefix: boots it once without prompts, and imports
# wine-settings.reg whenever that file changes (Japanese dialog fonts mapped
# onto the IPA fonts, frames drawn by Wine).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"

# Wine draws caption buttons with Marlett, which it finds only in the
# prefix's font folder; without it they show as "0 1 r".
copy_marlett() {
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  [ -d "$fonts" ] && [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -e "$fonts/marlett.ttf" ] &&
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  return 0
}

stamp="$WINEPREFIX/.savrin-settings"
wanted="$(md5sum < "$here/wine-settings.reg")"
if [ -e "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then
  copy_marlett
  exit 0
fi

mkdir -p "$WINEPREFIX"
# regedit reads a .reg file as Unicode only when it is UTF-16 with a BOM.
reg="$WINEPREFIX/savrin-settings.reg"
{ printf '\xef\xbb\xbf'; cat "$here/wine-settings.reg"; } | iconv -f UTF-8 -t UTF-16 > "$reg"
echo "preparing Wine prefix $WINEPREFIX"
"$here/with-display.sh" bash -c '
  [ -e "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
  wine regedit /S "$1" >/dev/null 2>&1
  wineserver -w' _ "Z:${reg//\//\\}"
copy_marlett
echo "$wanted" > "$stamp"
