#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Savrin need,
# and only those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake make g++ python3 googletest
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth fonts-ipafont-gothic
  imagemagick zip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
