#!/usr/bin/env bash
# The Windows package as a user meets it, under Wine: unpacked into an empty folder, the program
# is started and must write setup.def (CP932, backslash paths) and the 58 folders of the tree;
# started again with the start-up backup switched on, it must write two archives that hold the
# protected folder exactly. The program has no way to end on the minimal platform, so each start
# is ended by killing its process once the files are there.
#   first_start_test.sh PACKAGE.zip NATIVE_UNLHA WORK
set -euo pipefail
package=${1:?package} unlha=${2:?native unlha} work=${3:?work folder}
[ -f "$package" ] || { echo "no package $package: build the 'package' target first"; exit 1; }
[ -x "$unlha" ] || { echo "no native unlha at $unlha: build the native program first"; exit 1; }

package=$(realpath "$package") unlha=$(realpath "$unlha")
rm -rf "$work" && mkdir -p "$work"
work=$(realpath "$work")
# Under code page 932 the program folder gets a name whose CP932 bytes hold 0x5C (ソ, 表).
# Wine takes the code page from the Linux locale.
japanese=false
[[ "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" == ja_JP* && "$(locale charmap 2>/dev/null)" == UTF-8 ]] && japanese=true
name=Fernhold
$japanese && name="ソフト表示"
program="$work/$name"

fail() { echo "FAIL: $*"; exit 1; }
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
ansi() { if $japanese; then iconv -f UTF-8 -t CP932; else cat; fi; }

cmake -E make_directory "$work/unpacked"
(cd "$work/unpacked" && cmake -E tar xf "$package")
mv "$work/unpacked/$(basename "$package" .zip)" "$program"
shipped=$(cd "$program" && find . -mindepth 1 | sort)

pid=""
start() { (cd "$program" && exec wine Fernhold.exe -platform minimal >"$work/run.log" 2>&1) & pid=$!; }
stop() { [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true; pid=""; }
trap stop EXIT
# wait_for SECONDS COMMAND...: polls until COMMAND succeeds.
wait_for() {
    local until=$((SECONDS + $1)); shift
    until "$@"; do
        [ $SECONDS -lt $until ] || return 1
        kill -0 "$pid" 2>/dev/null || { cat "$work/run.log"; fail "the program ended"; }
        sleep 0.5
    done
}

# First start: TmpRead is the last thing the start-up makes.
start
wait_for 120 test -d "$program/TmpRead" || fail "no tree after 120 s"
sleep 1
stop

expected_folders=$( (printf '%s\n' ./MonthBack ./DayBack ./TmpRead
    for n in $(seq -w 1 31); do echo "./MonthBack/mback$n"; done
    for n in $(seq -w 0 23); do echo "./DayBack/hback$n"; done) | sort)
made=$(cd "$program" && comm -13 <(echo "$shipped") <(find . -mindepth 1 | sort))
diff <(echo "$made") <(printf '%s\n' "$expected_folders" ./setup.def | sort) ||
    fail "the first start made other files and folders than setup.def and the tree"
[ "$(wc -l <<<"$expected_folders")" -eq 58 ] || fail "expected 58 folders"

zeros() { for _ in $(seq "$2"); do printf '%s\r\n' "$1"; done; }
default_setup() { # default_setup BACKUP_FOLDER
    printf '"Lumo-Tree Setup v1.1"\r\n"%s"\r\n' "$1"
    zeros 0 8; printf '"08:00"\r\n16\r\n'; zeros 0 24; zeros 0 1; zeros '#1899-12-30#' 55
}
cmp <(default_setup "$(windows_path "$program")\\TmpRead" | ansi) "$program/setup.def" ||
    fail "setup.def differs from the defaults in the ANSI code page"

# Second start with the start-up backup on and a protected folder of its own.
protected="$work/protected"
mkdir -p "$protected/sub/deeper"
printf 'one\r\n' >"$protected/a.txt"
head -c 300000 /dev/urandom >"$protected/sub/random.bin"
seq 1 50000 >"$protected/sub/deeper/numbers.txt"
: >"$protected/empty.txt"
$japanese && printf '表示\n' >"$protected/sub/ソフト.txt"
default_setup "$(windows_path "$protected")" | sed '3s/^0/1/' | ansi >"$program/setup.def"

# An archive is checked once it extracts to the protected folder; until then it may be half written.
holds_protected() {
    local archive=$1 out="$work/extracted"
    rm -rf "$out" && mkdir "$out"
    [ -f "$archive" ] && "$unlha" x "$archive" "$out" >/dev/null 2>&1 && diff -r "$protected" "$out" >/dev/null
}
both_archives() {
    holds_protected "$program/DayBack/hback01/BackUp.lzh" &&
        holds_protected "$(ls "$program"/MonthBack/mback*/BackUp.lzh 2>/dev/null | head -n1)"
}
start
wait_for 120 both_archives || fail "the start-up backup's archives do not hold the protected folder"
# A start in the same folder while the program runs hands over to it and ends with success.
(cd "$program" && timeout 60 wine Fernhold.exe -platform minimal >"$work/second.log" 2>&1) ||
    fail "a second start in the same folder did not end with success"
kill -0 "$pid" 2>/dev/null || fail "the running program ended when a second one started"
stop
archives=$(cd "$program" && find . -name '*.lzh' | sort)
[ "$(wc -l <<<"$archives")" -eq 2 ] || fail "archives: $archives"
echo "first start, start-up backup and a second start: as expected"
