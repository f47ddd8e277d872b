#!/usr/bin/env bash
# Runs a command on $DISPLAY, or on a virtual X display started for it when
# none is set; the virtual display is stopped when the command ends.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi

n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
export DISPLAY=":$n"
"$@"
