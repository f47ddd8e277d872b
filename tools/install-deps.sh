#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Savrin need,
# and only those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake make g++ python3 googletest unicode-data
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth fonts-ipafont-gothic
  imagemagick zip strace
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q 'ok installed' || missing+=(locales)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the Unix locale: a Japanese one gives
# code page 932, as on the Japanese desktops the program is made for.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "generating the ja_JP.UTF-8 locale"
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi
