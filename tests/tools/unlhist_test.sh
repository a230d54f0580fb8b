#!/usr/bin/env bash
# unlhist over a slot tree that unlha filled: a name found by its kana, both versions listed
# newest first, and one member brought out of the older slot alone.
#   unlhist_test.sh UNLHA UNLHIST
set -euo pipefail
unlha=$1 unlhist=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/src/議事録" "$work/prog/MonthBack/mback01" "$work/prog/DayBack/hback00"
printf 'first draft\n' > "$work/src/議事録/メモ.txt"
printf 'kept\n' > "$work/src/other.txt"
touch -d '2026-01-05 10:00:00' "$work/src/議事録/メモ.txt"
"$unlha" a -d1 -y1 -h2 -jm2 "$work/prog/MonthBack/mback01/BackUp.lzh" "$work/src/" >/dev/null
printf 'second draft, longer\n' > "$work/src/議事録/メモ.txt"
touch -d '2026-01-06 10:00:00' "$work/src/議事録/メモ.txt"
"$unlha" a -d1 -y1 -h2 -jm2 "$work/prog/DayBack/hback00/BackUp.lzh" "$work/src/" >/dev/null

found=$("$unlhist" find "$work/prog" めも)
[ "$(echo "$found" | awk '{print $1, $2}')" = "2 議事録/メモ.txt" ] || fail "find: $found"

listed=$("$unlhist" versions "$work/prog" 議事録/メモ.txt)
sizes=$(echo "$listed" | awk 'NR > 1 {print $2}' | tr '\n' ' ')
[ "$sizes" = "21 12 " ] || fail "versions, newest first: $listed"
echo "$listed" | sed -n 2p | grep -q hback00 || fail "newest version's slot: $listed"

"$unlhist" get "$work/prog" mback01 議事録/メモ.txt "$work/out" >/dev/null
[ "$(cat "$work/out/メモ.txt")" = "first draft" ] || fail "get brought the wrong version"
[ ! -e "$work/out/other.txt" ] || fail "get brought more than the member asked for"

if "$unlhist" get "$work/prog" mback01 missing.txt "$work/out2" 2>/dev/null; then fail "a missing member succeeded"; fi
echo ok
