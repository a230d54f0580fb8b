#!/usr/bin/env bash
# The scale check: unlha a then unlha x on these cases, comparing the trees byte for byte and
# printing files, bytes, seconds and peak memory of each step.
#   many small files   (twice: half and full count, to show the time grows linearly)
#   one sparse file larger than 4 GiB when asked (holes cost no disk), with data across the 4 GiB mark
#   the same bytes     in 100 files and in as many files as above, to show what a file costs
#   a mixed folder     text, random, zeros and binaries, sizes from bytes to megabytes, nested;
#                      at a hundredth of the size and at full size, for the throughput per byte
#
#   bash bench/scale.sh [--unlha PATH] [--files N] [--big-bytes B] [--mixed-bytes B]
#                       [--max-rss-mib M] [--work DIR] [--full]
#
# Defaults are sized for CI (well under a minute). --full is the real check: 100000 files, a file
# of 4.5 GiB and a 2 GB mixed folder. Exits non-zero when a round trip differs, unlha fails, or
# peak memory exceeds --max-rss-mib (default 100); times are printed, never judged.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
unlha=$here/../build/bin/unlha
files=4000
bigBytes=$((64 * 1024 * 1024))
mixedBytes=$((24 * 1000 * 1000))
maxRssMib=100
work=${TMPDIR:-/tmp}
while [ $# -gt 0 ]; do
    case $1 in
        --unlha) unlha=$2; shift 2 ;;
        --files) files=$2; shift 2 ;;
        --big-bytes) bigBytes=$2; shift 2 ;;
        --mixed-bytes) mixedBytes=$2; shift 2 ;;
        --max-rss-mib) maxRssMib=$2; shift 2 ;;
        --work) work=$2; shift 2 ;;
        --full) files=100000 bigBytes=$((4608 * 1024 * 1024)) mixedBytes=2000000000; shift ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
[ -x "$unlha" ] || { echo "no unlha at $unlha (build it first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }
scratch=$(mktemp -d "$work/fernhold-scale.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

failures=0
printf '%-18s %8s %14s %14s %8s %9s %8s %9s %s\n' case files bytes "archive bytes" "a s" "a MiB" "x s" "x MiB" "round trip"

# timed KEY COMMAND...: runs COMMAND, leaves seconds and peak MiB in lastSeconds / lastMib.
# Seconds come from the nanosecond clock: /usr/bin/time's hundredths are too coarse for the small
# cases, whose throughput is compared with the large ones.
timed() {
    local out=$scratch/time.out started ended
    started=$(date +%s%N)
    if ! /usr/bin/time -f '%M' -o "$out" "$@" >"$scratch/log" 2>&1; then
        echo "unlha failed: $*" >&2
        cat "$scratch/log" >&2
        failures=$((failures + 1))
    fi
    ended=$(date +%s%N)
    lastSeconds=$(awk -v n=$((ended - started)) 'BEGIN {printf "%.3f", n / 1e9}')
    read -r kib < <(tail -n1 "$out")
    lastMib=$((kib / 1024))
    if [ "$lastMib" -ge "$maxRssMib" ]; then
        echo "peak memory ${lastMib} MiB >= ${maxRssMib} MiB: $*" >&2
        failures=$((failures + 1))
    fi
}

# roundTrip LABEL FOLDER: packs FOLDER, extracts it, compares, prints one row; removes the copies.
roundTrip() {
    local name=$1 src=$2 archive=$2.lzh target=$2.out
    local count bytes aSeconds aMib verdict
    count=$(find "$src" -type f | wc -l)
    bytes=$(find "$src" -type f -printf '%s\n' | awk '{s += $1} END {printf "%.0f\n", s}')
    timed "$unlha" a -d1 -y1 -h2 -jm2 "$archive" "$src/"
    aSeconds=$lastSeconds aMib=$lastMib
    mkdir -p "$target"
    timed "$unlha" x -d1 -y1 "$archive" "$target/"
    if diff -r -q "$src" "$target" >"$scratch/diff" 2>&1; then
        verdict=identical
    else
        verdict=DIFFERENT
        failures=$((failures + 1))
        head -n 5 "$scratch/diff" >&2
    fi
    printf '%-18s %8s %14s %14s %8s %9s %8s %9s %s\n' "$name" "$count" "$bytes" "$(stat -c %s "$archive")" \
        "$aSeconds" "$aMib" "$lastSeconds" "$lastMib" "$verdict"
    rm -rf "$archive" "$target"
    packSeconds=$aSeconds extractSeconds=$lastSeconds
}

# Many small files: 100 per folder, 0 to 2 KiB each, text with some variety.
makeSmallFiles() { # makeSmallFiles DIR COUNT
    python3 - "$1" "$2" <<'PY'
import os, random, sys
root, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(100000)
words = b"backup slot archive folder restore month day hour setting file".split()
for i in range(count):
    folder = os.path.join(root, "d%04d" % (i // 100))
    if i % 100 == 0:
        os.makedirs(folder, exist_ok=True)
    size = rng.randrange(0, 2048)
    data = b" ".join(rng.choice(words) for _ in range(size // 6 + 1))[:size]
    with open(os.path.join(folder, "f%06d.txt" % i), "wb") as f:
        f.write(data)
PY
}

# A sparse file: holes everywhere but 1 MiB of data at the start, across the 4 GiB mark
# (when the file reaches it) and at the end.
makeSparseFile() { # makeSparseFile PATH BYTES
    local path=$1 size=$2 mark=$((4 * 1024 * 1024 * 1024))
    truncate -s "$size" "$path"
    head -c 1048576 /dev/urandom | dd of="$path" conv=notrunc status=none
    if [ "$size" -gt $((mark + 524288)) ]; then
        head -c 1048576 /dev/urandom | dd of="$path" bs=1M seek=$((mark - 524288)) oflag=seek_bytes conv=notrunc status=none
    fi
    printf 'the end' | dd of="$path" bs=1 seek=$((size - 7)) conv=notrunc status=none
}

# A mixed folder: each file text, random, zeros or a slice of a system library, a quarter of the
# bytes each, sized 1 byte to 3 MB on a log scale, in nested folders.
makeMixed() { # makeMixed DIR BYTES
    python3 - "$1" "$2" <<'PY'
import glob, os, random, sys
root, target = sys.argv[1], int(sys.argv[2])
rng = random.Random(2000)
texts = sorted(glob.glob("/usr/include/**/*.h", recursive=True))[:400]
text = b"".join(open(p, "rb").read() for p in texts)
libs = [p for p in sorted(glob.glob("/usr/lib/x86_64-linux-gnu/*.so*")) if os.path.isfile(p)][:50]
binary = b"".join(open(p, "rb").read(4 << 20) for p in libs[:8])
total, i = 0, 0
kindBytes = [0, 0, 0, 0]
while total < target:
    # The kind with the fewest bytes so far, never past its quarter: every size of folder gets
    # the same mix by bytes, so the small one measures its size and not a different mix.
    kind = kindBytes.index(min(kindBytes))
    size = max(1, min(int(10 ** rng.uniform(0, 6.5)), target - total, (target + 3) // 4 - kindBytes[kind]))
    if kind == 0:
        start = rng.randrange(0, max(1, len(text) - size))
        data = text[start:start + size]
    elif kind == 1:
        data = rng.randbytes(size)
    elif kind == 2:
        data = bytes(size)
    else:
        start = rng.randrange(0, max(1, len(binary) - size))
        data = binary[start:start + size]
    folder = os.path.join(root, "level%d" % (i % 3), "sub%02d" % (i % 17))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "m%05d.%s" % (i, ("txt", "bin", "zero", "so")[kind])), "wb") as f:
        f.write(data)
    total += len(data)
    kindBytes[kind] += len(data)
    i += 1
PY
}

mkdir -p "$scratch/small-half" "$scratch/small"
makeSmallFiles "$scratch/small-half" $((files / 2))
roundTrip "small files / 2" "$scratch/small-half"
halfPack=$packSeconds halfExtract=$extractSeconds
rm -rf "$scratch/small-half"
makeSmallFiles "$scratch/small" "$files"
roundTrip "small files" "$scratch/small"
rm -rf "$scratch/small"
growth() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2fx", a / b; else print "-"}'; }
linearity="twice the files took $(growth "$packSeconds" "$halfPack") the time to pack and"
linearity+=" $(growth "$extractSeconds" "$halfExtract") to extract (linear: about 2x)"

mkdir -p "$scratch/sparse"
makeSparseFile "$scratch/sparse/large.bin" "$bigBytes"
roundTrip "one large file" "$scratch/sparse"
rm -rf "$scratch/sparse"

# The same bytes split into few or many files: what each file costs beyond its bytes.
makeSplit() { # makeSplit DIR COUNT BYTES
    python3 - "$1" "$2" "$3" <<'PY'
import os, random, sys
root, count, total = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rng = random.Random(7)
words = [b"w%d" % rng.randrange(5000) for _ in range(20000)]
text = b" ".join(rng.choice(words) for _ in range(total // 5 + 1))[:total]
size = total // count
for i in range(count):
    folder = os.path.join(root, "d%04d" % (i // 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "f%06d.txt" % i), "wb") as f:
        f.write(text[i * size:(i + 1) * size])
PY
}
rate() { awk -v b="$1" -v s="$2" 'BEGIN {if (s > 0) printf "%.1f", b / s / 1e6; else print "-"}'; }
splitBytes=$((files * 200))
mkdir -p "$scratch/few" "$scratch/many"
makeSplit "$scratch/few" 100 "$splitBytes"
roundTrip "same bytes, 100" "$scratch/few"
fewPack=$packSeconds fewExtract=$extractSeconds
rm -rf "$scratch/few"
makeSplit "$scratch/many" "$files" "$splitBytes"
roundTrip "same bytes, $files" "$scratch/many"
rm -rf "$scratch/many"
perFile="$splitBytes bytes in 100 files: $(rate "$splitBytes" "$fewPack") MB/s to pack,"
perFile+=" $(rate "$splitBytes" "$fewExtract") MB/s to extract; in $files files: $(rate "$splitBytes" "$packSeconds"),"
perFile+=" $(rate "$splitBytes" "$extractSeconds") MB/s"

mkdir -p "$scratch/mixed-small" "$scratch/mixed"
makeMixed "$scratch/mixed-small" $((mixedBytes / 100))
roundTrip "mixed folder / 100" "$scratch/mixed-small"
smallPack=$packSeconds smallExtract=$extractSeconds
rm -rf "$scratch/mixed-small"
makeMixed "$scratch/mixed" "$mixedBytes"
roundTrip "mixed folder" "$scratch/mixed"
perByte="the mixed folder of $((mixedBytes / 100)) bytes packed at $(rate $((mixedBytes / 100)) "$smallPack") MB/s and"
perByte+=" extracted at $(rate $((mixedBytes / 100)) "$smallExtract") MB/s; of $mixedBytes bytes at"
perByte+=" $(rate "$mixedBytes" "$packSeconds") and $(rate "$mixedBytes" "$extractSeconds") MB/s"

echo "$linearity"
echo "$perFile"
echo "$perByte"
[ "$failures" -eq 0 ] || { echo "scale check: $failures failure(s)" >&2; exit 1; }
echo "scale check passed"
