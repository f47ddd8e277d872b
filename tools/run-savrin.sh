#!/usr/bin/env bash
# Starts Savrin under the build's Wine prefix from build/run/, where its
# settings file lives between runs. On a virtual display (no $DISPLAY) it
# also leaves a screenshot in build/run/screen.png once the window is up.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
exe="$1"
run_dir="$savrin_root/build/run"
mkdir -p "$run_dir"
cp "$exe" "$run_dir/Savrin.exe"
cd "$run_dir"

if [ -n "${DISPLAY:-}" ]; then
  exec wine Savrin.exe
fi
echo "no \$DISPLAY: running on a virtual display; Ctrl+C ends it"
"$here/with-display.sh" bash -c '
  wine Savrin.exe &
  sleep 8
  import -window root screen.png && echo "screenshot: $PWD/screen.png"
  wait'
