#!/usr/bin/env bash
# Applies each deliberate fault of mutants.txt in turn, rebuilds, runs the quick tests whose
# programs the fault reached, and prints one line per mutant: caught (by which tests) or ESCAPED.
#   tools/mutants/run.sh BUILD_DIR [NAME...]
# BUILD_DIR is a configured native build of this tree (Ninja; linking with lld keeps the many
# relinks short). Every mutated file is restored from
# a copy taken before the change, on failure and on Ctrl-C too, and the tree is rebuilt clean at
# the end. MUTANT_TIMEOUT (seconds, default 180) bounds the tests of one mutant.
set -uo pipefail
# A fault in clearing or extraction can follow a test's link out of its temporary folder, and as
# root it would delete or overwrite what the link points at (one such run emptied /etc). So root
# runs the faults with the system's folders mounted read-only, in a mount namespace of its own.
if [ "$(id -u)" = 0 ] && [ -z "${MUTANT_SANDBOXED:-}" ]; then
    exec env MUTANT_SANDBOXED=1 unshare --mount --propagation private bash -c '
        for folder in /etc /usr /var /boot /opt /srv /root /home; do
            [ -d "$folder" ] || continue
            mount --bind -o ro "$folder" "$folder" || exit 1
        done
        exec bash "$0" "$@"' "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:?usage: run.sh BUILD_DIR [NAME...]}
shift
build=$(cd "$build" && pwd)
mutants="$here/mutants.txt"
timeout=${MUTANT_TIMEOUT:-180}
export QT_QPA_PLATFORM=offscreen
export CCACHE_DIR=${CCACHE_DIR:-/work/.ccache} CCACHE_BASEDIR=${CCACHE_BASEDIR:-/work} CCACHE_NOHASHDIR=1

work=$(mktemp -d)
saved_file=""
restore() {
    if [ -n "$saved_file" ]; then
        # A plain copy: the file gets a new time, so the build takes the original back in.
        cp "$work/original" "$root/$saved_file"
        saved_file=""
    fi
}
trap 'restore; rm -rf "$work"' EXIT
trap 'restore; exit 130' INT TERM

build_tree() { cmake --build "$build" -j2 >"$work/build.log" 2>&1; }

# The quick tests, and which of them start a program from bin/ rather than only linking code.
ctest --test-dir "$build" -N -LE slow | sed -nE 's/^ *Test +#[0-9]+: (.*)$/\1/p' >"$work/tests"
runs_programs="unlha_tool_test program_instance_test"

if ! build_tree; then
    echo "the clean tree does not build; see $work/build.log" >&2
    cat "$work/build.log" >&2
    exit 1
fi

# Test cases that already fail on the clean tree can tell nothing: they are left out of every run.
ctest --test-dir "$build" -LE slow -j2 >"$work/ctest.log" 2>&1
known=$(sed -nE 's/^\[  FAILED  \] ([A-Za-z0-9_/]+\.[A-Za-z0-9_/]+)( .*)?$/\1/p' "$build/Testing/Temporary/LastTest.log" |
    sort -u | paste -sd:)
if [ -n "$known" ]; then
    echo "failing before any change, left out: $known"
    export GTEST_FILTER="-$known"
fi

started=$SECONDS
caught=0
total=0
printf '%-28s %-10s %-8s %s\n' MUTANT MODULE RESULT "FAILING TESTS"
while IFS=$'\t' read -r -u 3 name module file; do
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qxF "$name"; then
        continue
    fi
    total=$((total + 1))
    if [ ! -f "$root/$file" ]; then
        # Nothing to put back: restoring would write another mutant's original under this name.
        printf '%-28s %-10s %-8s %s\n' "$name" "$module" NO-APPLY "$file does not exist"
        continue
    fi
    cp -p "$root/$file" "$work/original"
    saved_file=$file
    touch "$work/stamp"
    sleep 1 # so that anything rebuilt is strictly newer than the stamp
    if ! python3 "$here/apply.py" apply "$mutants" "$name" "$root" 2>"$work/apply.log"; then
        restore
        printf '%-28s %-10s %-8s %s\n' "$name" "$module" NO-APPLY "$(cat "$work/apply.log")"
        continue
    fi
    if ! build_tree; then
        restore
        build_tree
        printf '%-28s %-10s %-8s %s\n' "$name" "$module" NO-BUILD "see the compiler's output above"
        grep -m3 'error' "$work/build.log"
        continue
    fi
    # Only test programs relinked with the fault can notice it.
    selected=()
    bin_changed=$(find "$build/bin" -type f -newer "$work/stamp" 2>/dev/null | head -n1)
    while read -r test; do
        exe="$build/tests/$test"
        if { [ -f "$exe" ] && [ "$exe" -nt "$work/stamp" ]; } ||
            { [ -n "$bin_changed" ] && [[ " $runs_programs " == *" $test "* ]]; }; then
            selected+=("$test")
        fi
    done <"$work/tests"
    failing=""
    if [ ${#selected[@]} -gt 0 ]; then
        regex="^($(
            IFS='|'
            echo "${selected[*]}"
        ))\$"
        # The tests carry a TIMEOUT of their own, which --timeout does not shorten: a fault that
        # hangs a window test is cut off by a stop time instead.
        ctest --test-dir "$build" -LE slow -R "$regex" -j2 --stop-time "$(date -d "+$timeout seconds" +%H:%M:%S)" \
            >"$work/ctest.log" 2>&1
        failing=$(sed -nE 's/^[[:space:]]*[0-9]+ - ([^ ]+) \((.*)\)$/\1(\2)/p' "$work/ctest.log" |
            sed 's/(Failed)//' | sort | paste -sd' ')
    fi
    restore
    build_tree
    if [ -n "$failing" ]; then
        caught=$((caught + 1))
        printf '%-28s %-10s %-8s %s\n' "$name" "$module" caught "$failing"
    else
        printf '%-28s %-10s %-8s %s\n' "$name" "$module" ESCAPED "(ran ${#selected[@]} programs)"
    fi
done 3< <(python3 "$here/apply.py" list "$mutants")

echo "caught $caught of $total in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
