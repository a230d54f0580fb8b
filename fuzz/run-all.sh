#!/usr/bin/env bash
# Replays the seed corpus through every fuzz target, then fuzzes each for a bounded time.
#   bash fuzz/run-all.sh BUILD_DIR [SECONDS]      (default 60 seconds per target)
# Targets come from BUILD_DIR/fuzz/fuzz_<name>, seeds from fuzz/corpus/<name>/. New inputs go to
# BUILD_DIR/fuzz-corpus/<name>/, crash reproducers to BUILD_DIR/fuzz-crashes/<name>/. Exits non-zero
# when any target crashes, leaks, times out (10 s per input) or exceeds 2 GiB.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run-all.sh BUILD_DIR [SECONDS]}" && pwd)
seconds=${2:-60}

shopt -s nullglob
targets=("$build"/fuzz/fuzz_*)
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets in $build/fuzz (configure with -DFERNHOLD_FUZZ=ON)" >&2
    exit 1
fi

# The targets' scratch folders; a crashed target cannot remove its own.
export TMPDIR=$build/fuzz-tmp
rm -rf "$TMPDIR" && mkdir -p "$TMPDIR"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
common=(-rss_limit_mb=2048 -timeout=10 -print_final_stats=1)
failed=()
for target in "${targets[@]}"; do
    name=${target##*/fuzz_}
    seeds=$here/corpus/$name
    grown=$build/fuzz-corpus/$name
    crashes=$build/fuzz-crashes/$name
    mkdir -p "$grown" "$crashes"
    if [ ! -d "$seeds" ]; then
        echo "== $name: no seed corpus in $seeds" >&2
        failed+=("$name")
        continue
    fi
    # Run from the crash folder: libFuzzer writes its own notes into the current folder.
    echo "== $name: replaying $(ls "$seeds" | wc -l) seed files"
    if ! (cd "$crashes" && "$target" "${common[@]}" -artifact_prefix="$crashes/" -runs=0 "$seeds"); then
        failed+=("$name (replay)")
        continue
    fi
    # Mutating the 100 KiB sample archives whole runs a few inputs a second; their first 32 KiB
    # hold every header kind, and a cut archive is a case worth having anyway.
    echo "== $name: fuzzing for $seconds s"
    if ! (cd "$crashes" && "$target" "${common[@]}" -artifact_prefix="$crashes/" -max_total_time="$seconds" \
            -max_len=32768 "$grown" "$seeds"); then
        failed+=("$name")
    fi
done

rm -rf "$TMPDIR"
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing failed: ${failed[*]} (reproducers in $build/fuzz-crashes/)" >&2
    exit 1
fi
echo "fuzzing passed: ${#targets[@]} targets"
