#!/usr/bin/env bash
# Two copies of Savrin, each in a Wine prefix of its own (two wineservers,
# which share no locks or sharing modes, as two computers on one share do
# not), move the files that keep arriving in one folder on tmpfs into one
# folder on the disk, every second, for a minute. The destination also holds
# what an earlier engine may have left there: a complete copy under a
# temporary's name whose source is long gone, and a link named like a
# temporary that leads to someone else's files.
# At the end every file that arrived is whole somewhere in the destination,
# the leftover's contents are still there, the linked files are untouched,
# and no temporary of theirs is left behind.
#   tests/e2e/two_engines.sh path/to/Savrin.exe [seconds]
set -euo pipefail
exe="$(realpath "$1")"
seconds="${2:-60}"
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
if [ -z "${DISPLAY:-}" ]; then exec "$tools/with-display.sh" "$0" "$@"; fi

work="$(mktemp -d /tmp/savrin-two.XXXXXX)"
shm="$(mktemp -d /dev/shm/savrin-two.XXXXXX)"
prefixes=("$tools/../build/wineprefix" "$tools/../build/wineprefix-second")
cleanup() {
  for prefix in "${prefixes[@]}"; do WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; done
  rm -rf "$work" "$shm"
}
trap cleanup EXIT

windows() { printf 'Z:%s' "${1//\//\\}"; }
mkdir -p "$shm/in" "$shm/staging" "$work/out" "$work/keep/inner"
echo "kept one" > "$work/keep/one.txt"
echo "kept two" > "$work/keep/inner/two.txt"
# Wine shows a Linux link to a folder as a plain folder, so only the earlier
# naming is tried here, which the engine never removes; the native tests and
# the power-cut model try links under the current naming as well.
ln -s "$work/keep" "$work/out/~savrin-fedcba9876543210.tmp"
echo "the only copy of a lost move" > "$work/out/~savrin-0123456789abcdef.tmp"

settings="[Source]
0=$(windows "$shm/in")
[Destination]
0=$(windows "$work/out")
[Pattern]
0=*.dat
[Condition]
0=1
[Option]
Status=0
Time=1
"
for side in 0 1; do
  mkdir -p "$work/copy$side"
  cp "$exe" "$work/copy$side/Savrin.exe"
  { printf '\xff\xfe'; printf '%s' "$settings" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } \
    > "$work/copy$side/Savrin.ini"
  SAVRIN_WINEPREFIX="${prefixes[$side]}" "$tools/wine-prefix.sh"
done
for side in 0 1; do
  (
    export SAVRIN_WINEPREFIX="${prefixes[$side]}"
    . "$tools/wine-env.sh"
    exec wine "$work/copy$side/Savrin.exe" >/dev/null 2>&1
  ) &
done

# Files arrive as a browser finishes a download: written elsewhere on the
# volume, then renamed in whole.
count=0
end=$((SECONDS + seconds))
while [ $SECONDS -lt $end ]; do
  count=$((count + 1))
  printf 'file %d of the run, %s\n' "$count" "$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')" \
    > "$shm/staging/$count.dat"
  cp "$shm/staging/$count.dat" "$work/expected-$count"
  mv "$shm/staging/$count.dat" "$shm/in/$count.dat"
  sleep 0.12
done
for _ in $(seq 60); do
  [ -z "$(ls -A "$shm/in")" ] && break
  sleep 0.5
done
sleep 3  # a pass that began just now ends

failed=0
check() { if ! eval "$2"; then echo "FAILED: $1"; failed=$((failed + 1)); fi; }
remaining="$(ls -A "$shm/in" | wc -l)"
check "every file was moved out of the source ($remaining left)" '[ "$remaining" -eq 0 ]'
lost=0
duplicates=0
declare -A copies=()
while IFS= read -r -d '' file; do
  sum="$(md5sum < "$file" | cut -d' ' -f1)"
  copies[$sum]=$(( ${copies[$sum]:-0} + 1 ))
done < <(find "$work/out" -maxdepth 1 -type f -print0)
for i in $(seq "$count"); do
  sum="$(md5sum < "$work/expected-$i" | cut -d' ' -f1)"
  n="${copies[$sum]:-0}"
  if [ "$n" -eq 0 ] && ! cmp -s "$work/expected-$i" "$shm/in/$i.dat"; then
    echo "lost: $i.dat"
    lost=$((lost + 1))
  fi
  [ "$n" -gt 1 ] && duplicates=$((duplicates + 1))
done
check "no file lost ($lost of $count)" '[ "$lost" -eq 0 ]'
check "the leftover's contents are kept" 'grep -rqs "the only copy of a lost move" "$work/out"'
check "the linked files are untouched" \
  '[ "$(cat "$work/keep/one.txt")" = "kept one" ] && [ "$(cat "$work/keep/inner/two.txt")" = "kept two" ]'
ours="$(find "$work/out" -maxdepth 1 -name '~savrin-*.part' ! -type l | wc -l)"
check "no temporary left behind ($ours)" '[ "$ours" -eq 0 ]'
echo "two engines: $count files arrived over ${seconds} s, $duplicates moved by both (a copy each), $lost lost"
[ "$failed" -eq 0 ]
