#!/usr/bin/env bash
# Copy rules whose destination leads back into their own source through a
# Linux symlink (Wine shows it as a plain folder; on Windows a junction or a
# subst drive does the same): files copied onto themselves, and a folder
# copied into a folder inside itself. Over three passes neither changes
# anything. A third rule copies one file on every pass, which shows the
# passes did run. A fourth moves a link to a file kept elsewhere on the
# same other volume: Wine shows the link as that file, and removing the
# link's name after the copy would remove the file it leads to. (Within one
# volume Wine's own rename moves the file a Linux link leads to; Windows
# shows and renames a link as itself.) A fifth moves a folder to another
# volume whose tree holds a link to a folder elsewhere, which Wine shows as
# a plain folder: the folder stays, and what the link leads to stays too.
# Then moves between volumes onto and of links Wine shows as what they lead
# to: a destination name linking back to the file or folder moved there is
# no copy of it, a leftover temporary that is a link is no leftover of ours,
# and a source folder that is a link is not that folder. Last, files moved
# into a destination path made by the pass, traced down to the system calls
# (Wine's own and its wineserver's): each new folder's name is flushed in
# its parent once, before the first source goes.
#   tests/e2e/links.sh path/to/Savrin.exe
set -euo pipefail
exe="$(realpath "$1")"
tools="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../tools" && pwd)"
if [ -z "${DISPLAY:-}" ]; then exec "$tools/with-display.sh" "$0" "$@"; fi

# Resolved, as the trace shows the paths of open folders.
work="$(realpath "$(mktemp -d /tmp/savrin-links.XXXXXX)")"
shm="$(realpath "$(mktemp -d /dev/shm/savrin-links.XXXXXX)")"
export SAVRIN_WINEPREFIX="$tools/../build/wineprefix"
cleanup() {
  WINEPREFIX="$SAVRIN_WINEPREFIX" wineserver -k 2>/dev/null || true
  rm -rf "$work" "$shm"
}
trap cleanup EXIT

windows() { printf 'Z:%s' "${1//\//\\}"; }
mkdir -p "$work/app" "$work/files/in" "$work/files/in2/album/sub" "$work/files/in3" "$work/files/out3"
echo "a" > "$work/files/in/a.txt"
echo "b" > "$work/files/in/b.txt"
ln -s "$work/files/in" "$work/files/in/link"
echo "one" > "$work/files/in2/album/1.jpg"
ln -s "$work/files/in2/album/sub" "$work/files/out2"
echo "tick" > "$work/files/in3/tick.dat"
mkdir -p "$shm/in4" "$shm/keep" "$work/out4"
echo "kept elsewhere" > "$shm/keep/target.txt"
ln -s "$shm/keep/target.txt" "$shm/in4/linked.txt"
mkdir -p "$shm/in5/tree" "$shm/keep2" "$work/out5"
echo "in the tree" > "$shm/in5/tree/t.txt"
echo "kept too" > "$shm/keep2/k.txt"
ln -s "$shm/keep2" "$shm/in5/tree/outside"
# Destination names that lead back to what is moved there: Wine lists them
# with the source's size, time and bytes, so they look like a copy in place.
mkdir -p "$shm/in6" "$work/out6" "$shm/in7/album/sub" "$work/out7" "$shm/in8" "$work/out8" "$shm/user"
echo "only copy" > "$shm/in6/report.pdf"
ln -s "$shm/in6/report.pdf" "$work/out6/report.pdf"
echo "album one" > "$shm/in7/album/1.jpg"
echo "album two" > "$shm/in7/album/sub/2.jpg"
ln -s "$shm/in7/album" "$work/out7/album"
# Links named as our temporaries: the clean-up of leftovers before the move
# would empty the folder one leads to and remove the file the other does.
echo "moved" > "$shm/in8/x.doc"
echo "user file" > "$shm/user/u.txt"
echo "user file too" > "$shm/user.txt"
ln -s "$shm/user" "$work/out8/~savrin-fedcba9876543210.part"
ln -s "$shm/user.txt" "$work/out8/~savrin-0123456789abcdef.part"
# Source folders that are links: between volumes the folder they lead to
# would be copied and emptied, within one Wine's rename takes that folder.
mkdir -p "$shm/in9" "$shm/in10" "$shm/keep9" "$shm/keep10" "$shm/out10" "$work/out9"
echo "kept nine" > "$shm/keep9/k.txt"
echo "kept ten" > "$shm/keep10/k.txt"
ln -s "$shm/keep9" "$shm/in9/album"
ln -s "$shm/keep10" "$shm/in10/album"
# Files moved between volumes into a destination path of two new folders.
mkdir -p "$shm/in11" "$work/out11"
for n in 1 2 3; do echo "$n" > "$shm/in11/$n.dat"; done

settings="[Source]
0=$(windows "$work/files/in")
1=$(windows "$work/files/in2")
2=$(windows "$work/files/in3")
3=$(windows "$shm/in4")
4=$(windows "$shm/in5")
5=$(windows "$shm/in6")
6=$(windows "$shm/in7")
7=$(windows "$shm/in8")
8=$(windows "$shm/in9")
9=$(windows "$shm/in10")
10=$(windows "$shm/in11")
[Destination]
0=$(windows "$work/files/in/link")
1=$(windows "$work/files/out2")
2=$(windows "$work/files/out3")
3=$(windows "$work/out4")
4=$(windows "$work/out5")
5=$(windows "$work/out6")
6=$(windows "$work/out7")
7=$(windows "$work/out8")
8=$(windows "$work/out9")
9=$(windows "$shm/out10")
10=$(windows "$work/out11/2026/12")
[Pattern]
0=*.txt
1=album
2=tick.dat
3=linked.txt
4=tree
5=*.pdf
6=album
7=*.doc
8=album
9=album
10=*.dat
[Condition]
0=65537
1=65536
2=65536
3=0
4=0
5=1
6=0
7=1
8=0
9=0
10=1
[Option]
Status=0
Time=1
"
cp "$exe" "$work/app/Savrin.exe"
{ printf '\xff\xfe'; printf '%s' "$settings" | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } > "$work/app/Savrin.ini"
"$tools/wine-prefix.sh"

listing() { (cd "$work/files" && find . -path ./out3 -prune -o -printf '%p %y %s\n' | LC_ALL=C sort); }
before="$(listing)"
# With no wineserver running for the prefix, wine starts one as a child
# that the trace follows: Wine creates, renames and removes there. The
# filter stops the traced processes at these calls only, so the session
# runs at nearly its own speed.
WINEPREFIX="$SAVRIN_WINEPREFIX" wineserver -k 2>/dev/null || true
(
  . "$tools/wine-env.sh"
  exec strace -f --seccomp-bpf -y -o "$work/trace" \
    -e trace=execve,mkdir,mkdirat,fsync,fdatasync,unlink,unlinkat,rename,renameat,renameat2 \
    wine "$work/app/Savrin.exe" >/dev/null 2>&1
) &
passes=0
for _ in $(seq 120); do
  passes="$(find "$work/files/out3" -name 'tick*.dat' | wc -l)"
  [ "$passes" -ge 3 ] && break
  sleep 0.25
done
WINEPREFIX="$SAVRIN_WINEPREFIX" wineserver -k 2>/dev/null || true
wait || true
after="$(listing)"

failed=0
check() { if ! eval "$2"; then echo "FAILED: $1"; failed=$((failed + 1)); fi; }
check "three passes ran ($passes)" '[ "$passes" -ge 3 ]'
check "nothing changed in the rules' own folders" '[ "$before" = "$after" ]'
check "the file a moved link leads to is still there" '[ "$(cat "$shm/keep/target.txt" 2>/dev/null)" = "kept elsewhere" ]'
check "the link is still there" '[ -L "$shm/in4/linked.txt" ]'
check "a folder holding a link to a folder stays" '[ "$(cat "$shm/in5/tree/t.txt" 2>/dev/null)" = "in the tree" ] && [ -z "$(ls -A "$work/out5")" ]'
check "what the link in it leads to stays" '[ "$(cat "$shm/keep2/k.txt" 2>/dev/null)" = "kept too" ]'
# Some real file (not a link) under the folders given holds the text.
kept() { local text="$1"; shift; find "$@" -type f -exec grep -qx -- "$text" {} \; -print | grep -q .; }
check "a file whose destination name links to it is kept" 'kept "only copy" "$shm/in6" "$work/out6"'
check "a folder whose destination name links to it is kept" \
  'kept "album one" "$shm/in7" "$work/out7" && kept "album two" "$shm/in7" "$work/out7"'
check "a move arrived beside links named as temporaries" '[ -f "$work/out8/x.doc" ]'
check "the folder such a link leads to stays" '[ "$(cat "$shm/user/u.txt" 2>/dev/null)" = "user file" ]'
check "the file such a link leads to stays" '[ "$(cat "$shm/user.txt" 2>/dev/null)" = "user file too" ]'
check "a source folder that is a link, moved to another volume, leaves what it leads to" \
  '[ "$(cat "$shm/keep9/k.txt" 2>/dev/null)" = "kept nine" ]'
check "the same within the volume" '[ "$(cat "$shm/keep10/k.txt" 2>/dev/null)" = "kept ten" ]'

# For a new folder: the trace's line of its making, of the first flush of its
# parent after that, of the first removal of a moved source, and how often
# the parent was flushed at all. A flush is in Savrin's own threads, the
# making and removing in the wineserver's; a call that another process's
# line cuts in two is counted where it began.
trace="$work/trace"
traced() {
  awk -v made="$1\"" -v parent="<${1%/*}>" -v source="$shm/in11/" '
    /mkdir/ && index($0, made) && !m { m = NR }
    /fsync\(/ && index($0, parent) { n++; if (m && !f) f = NR }
    /unlink/ && index($0, source) && !u { u = NR }
    END { print m + 0, f + 0, u + 0, n + 0 }' "$trace"
}
# strace pads a process id to five places.
check "the wineserver ran under the trace" 'grep -Eq "^[0-9]+ +execve\(\"[^\"]*wineserver" "$trace"'
check "three files moved into two new folders" '[ "$(find "$work/out11/2026/12" -type f | wc -l)" -eq 3 ]'
for level in "$work/out11/2026" "$work/out11/2026/12"; do
  read -r made flushed removed flushes < <(traced "$level")
  check "${level#"$work/"} made, its parent flushed, then a source removed (lines $made $flushed $removed)" \
    '[ "$made" -gt 0 ] && [ "$flushed" -gt "$made" ] && [ "$removed" -gt "$flushed" ]'
  check "${level#"$work/"}: its parent flushed once for three files ($flushes)" '[ "$flushes" -eq 1 ]'
done
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after") | head -20
echo "links: $passes passes"
[ "$failed" -eq 0 ]
