#!/usr/bin/env bash
# Runs a Windows executable under the build's Wine prefix (CTest's emulator
# for the cross build), on a virtual display when no display is set.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
"$here/wine-prefix.sh"
exec "$here/with-display.sh" wine "$@"
