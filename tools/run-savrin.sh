#!/usr/bin/env bash
# Starts Savrin under the build's Wine prefix from build/run/, where its
# settings file lives between runs, with a small notification area beside it
# (Wine's taskbar has none), so that a window minimised into the tray can be
# clicked back. On a virtual display (no $DISPLAY) it also leaves a
# screenshot in build/run/screen.png once the window is up.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
build="$(cd "$(dirname "$1")" && pwd)"
run_dir="$savrin_root/build/run"
mkdir -p "$run_dir"
cp "$build/Savrin.exe" "$run_dir/Savrin.exe"
cd "$run_dir"

run() {
  wine "$build/SavrinTrayHost.exe" &
  local tray=$!
  sleep 1
  wine Savrin.exe &
  local savrin=$!
  if [ -n "${SAVRIN_SCREENSHOT:-}" ]; then
    sleep 8
    import -window root screen.png && echo "screenshot: $PWD/screen.png"
  fi
  wait "$savrin" || true
  kill "$tray" 2>/dev/null || true
}

if [ -n "${DISPLAY:-}" ]; then
  run
else
  echo "no \$DISPLAY: running on a virtual display; Ctrl+C ends it"
  export SAVRIN_SCREENSHOT=1
  export -f run
  export build
  "$here/with-display.sh" bash -c run
fi
