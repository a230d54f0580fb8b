#!/usr/bin/env bash
# Pack, test and extract speed, archive size and peak memory of unlha beside the usual tools, on
# a documents folder, one large text file, a folder that does not compress, and the best-ratio
# switch; then a backup that carries unchanged files forward from the previous archive (-jc)
# against a full pack of the same folder, with none, 1 % and 20 % of the files changed. Prints
# figures; never fails on them.
#
#   bash bench/run.sh [--corpus DIR] [--rounds N] [--small] [--unlha PATH] [--best SWITCH]
#
#   --corpus DIR   made by /work/shared/bench/make-corpus.sh (built there when missing);
#                  default /tmp/bench-corpus
#   --rounds N     rounds of every command, alternating; the median is shown (default 3)
#   --small        a corpus of a few MB built from system headers, for a quick run in CI
#   --unlha PATH   default: build/bin/unlha of this checkout
#   --best SWITCH  the switch of unlha's best-ratio mode (default "-jm7 -jb", see docs/unlha.md)
#   --carry-only   only the carrying-forward figures
#   --baseline PATH  another unlha (an earlier build) timed right after ours on every pack, test
#                  and extract, so a change can be compared with what it replaced in one run
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
corpus=/tmp/bench-corpus
rounds=3
small=0
unlha=$here/../build/bin/unlha
best="-jm7 -jb"
carryOnly=0
baseline=""
while [ $# -gt 0 ]; do
    case $1 in
        --corpus) corpus=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --small) small=1; shift ;;
        --unlha) unlha=$2; shift 2 ;;
        --best) best=$2; shift 2 ;;
        --carry-only) carryOnly=1; shift ;;
        --baseline) baseline=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
        *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done
unlha=$(cd "$(dirname "$unlha")" && pwd)/$(basename "$unlha")
[ -x "$unlha" ] || { echo "no unlha at $unlha (build it first)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 2; }
have() { command -v "$1" >/dev/null 2>&1; }

# Outputs and extractions go to tmpfs, so the disk does not set the pace.
scratch=$(mktemp -d /dev/shm/fernhold-bench.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

if [ "$small" = 1 ]; then
    corpus=$scratch/corpus
    mkdir -p "$corpus/Documents/include" "$corpus/Documents/データ"
    cp -r /usr/include/linux "$corpus/Documents/include/"
    head -c 1048576 /dev/urandom > "$corpus/Documents/データ/random.bin"
    find /usr/include/linux -type f -print0 | LC_ALL=C sort -z | xargs -0 cat 2>/dev/null | head -c 4194304 > "$corpus/big.txt" || true
elif [ ! -d "$corpus/Documents" ] || [ ! -f "$corpus/big.txt" ]; then
    echo "building the corpus in $corpus (once; takes a few minutes)"
    bash /work/shared/bench/make-corpus.sh "$corpus" >/dev/null
fi

# Single files and the incompressible folder are packed as folders of their own.
sets=$scratch/sets
mkdir -p "$sets/big" "$sets/incompressible"
cp "$corpus/big.txt" "$sets/big/"
find "$corpus/Documents" -type f \( -name '*.png' -o -name '*.jpg' -o -name '*.gz' \) -size +2k -print0 |
    LC_ALL=C sort -z | head -z -n 2000 | xargs -0 -r cp -t "$sets/incompressible" --backup=numbered
head -c $(( small ? 2097152 : 33554432 )) /dev/urandom > "$sets/incompressible/random.bin"

bytesOf() { find "$1" -type f -printf '%s\n' | awk '{s += $1} END {printf "%.0f\n", s}'; }
filesOf() { find "$1" -type f | wc -l; }

# measure KEY COMMAND: runs COMMAND under bash with /usr/bin/time; records seconds, CPU seconds
# (user and system) and peak KiB.
declare -A seconds cpu peak status
measure() {
    local key=$1 cmd=$2 out
    out=$scratch/time.out
    if /usr/bin/time -f '%e %M %U %S' -o "$out" bash -c "$cmd" >/dev/null 2>"$scratch/stderr"; then
        status[$key]=${status[$key]:-ok}
    else
        status[$key]=failed
    fi
    read -r s m u k < <(tail -n1 "$out")
    seconds[$key]="${seconds[$key]:-} $s"
    cpu[$key]="${cpu[$key]:-} $(awk -v u="$u" -v k="$k" 'BEGIN {print u + k}')"
    [ "${m:-0}" -gt "${peak[$key]:-0}" ] && peak[$key]=$m
    return 0
}
median() { tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -g | awk '{v[NR]=$1} END {print (NR ? v[int((NR+1)/2)] : 0)}'; }
fresh() { rm -rf "$scratch/out" && mkdir -p "$scratch/out"; }

warm() { find "$1" -type f -print0 | xargs -0 cat >/dev/null; }

# One round of every command on one set; archives stay in $scratch for the next steps.
round() {
    local set=$1 src=$2
    local parent name
    parent=$(dirname "$src") name=$(basename "$src")
    local a=$scratch/$set
    rm -f "$a".lzh "$a"-best.lzh "$a"-base.lzh
    measure "$set unlha a" "'$unlha' a -d1 -y1 -h2 -jm2 '$a.lzh' '$src/'"
    [ -z "$baseline" ] || measure "$set baseline a" "'$baseline' a -d1 -y1 -h2 -jm2 '$a-base.lzh' '$src/'"
    measure "$set tar|gzip -6 pack" "tar -C '$parent' -cf - '$name' | gzip -6 > '$a.tar.gz'"
    have zstd && measure "$set tar|zstd -3 pack" "tar -C '$parent' -cf - '$name' | zstd -q -3 -f -o '$a.tar.zst'"
    measure "$set unlha t" "'$unlha' t '$a.lzh'"
    [ -z "$baseline" ] || measure "$set baseline t" "'$baseline' t '$a.lzh'"
    measure "$set gzip -dc" "gzip -dc '$a.tar.gz' > /dev/null"
    have zstd && measure "$set zstd -dc" "zstd -q -dc '$a.tar.zst' > /dev/null"
    fresh; measure "$set unlha x" "'$unlha' x -d1 -y1 '$a.lzh' '$scratch/out/'"
    [ -z "$baseline" ] || { fresh; measure "$set baseline x" "'$baseline' x -d1 -y1 '$a.lzh' '$scratch/out/'"; }
    [ "$set" = documents ] && [ -z "${verified:-}" ] && verified=$(diff -r -q "$src" "$scratch/out" >/dev/null && echo identical || echo DIFFERENT)
    fresh; measure "$set tar xzf" "tar -C '$scratch/out' -xzf '$a.tar.gz'"
    fresh; measure "$set bsdtar -xf ours" "bsdtar -C '$scratch/out' -xf '$a.lzh'"
    fresh; measure "$set cp -r" "cp -r '$src' '$scratch/out/'"
    # jlha takes minutes on the documents set: one round of it is enough to place it.
    if [ "$set" = documents ] && [ "$currentRound" = 1 ]; then
        rm -f "$a-jlha.lzh"
        measure "$set jlha a -lh5-" "cd '$src' && jlha ao5q0 '$a-jlha.lzh' *"
        fresh; measure "$set jlha x" "cd '$scratch/out' && jlha xq0 '$a-jlha.lzh'"
    fi
    [ "$set" = big ] || measure "$set unlha a best" "'$unlha' a -d1 -y1 -h2 $best '$a-best.lzh' '$src/'"
    fresh
}

declare -A setSource=([documents]=$corpus/Documents [big]=$sets/big [incompressible]=$sets/incompressible)
order=(documents big incompressible)
[ "$carryOnly" = 1 ] && order=()
for set in "${order[@]}"; do warm "${setSource[$set]}"; done
for currentRound in $(seq "$rounds"); do
    for set in "${order[@]}"; do round "$set" "${setSource[$set]}"; done
done

rows=("unlha a" "unlha a best" "tar|gzip -6 pack" "tar|zstd -3 pack" "jlha a -lh5-" "unlha t" "gzip -dc"
      "zstd -dc" "unlha x" "bsdtar -xf ours" "tar xzf" "jlha x" "cp -r")
mb() { awk -v b="$1" 'BEGIN {printf "%.1f", b / 1e6}'; }
rate() { awk -v b="$1" -v s="$2" 'BEGIN {if (s > 0) printf "%.1f", b / 1e6 / s; else print "-"}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2f", a / b; else print "-"}'; }

echo
echo "unlha: $unlha"
echo "rounds: $rounds (median shown), extraction into tmpfs, warm page cache; MB = 10^6 bytes"
for set in "${order[@]}"; do
    src=${setSource[$set]}
    bytes=$(bytesOf "$src")
    echo
    echo "== $set: $(filesOf "$src") files, $(mb "$bytes") MB"
    printf '%-22s %9s %9s %11s %8s %9s %s\n' command seconds "MB/s" "output MB" "ratio" "peak MiB" status
    for cmd in "${rows[@]}"; do
        key="$set $cmd"
        [ -n "${seconds[$key]:-}" ] || continue
        s=$(median "${seconds[$key]}")
        out=""
        case $cmd in
            "unlha a") out=$scratch/$set.lzh ;;
            "unlha a best") out=$scratch/$set-best.lzh ;;
            "tar|gzip -6 pack") out=$scratch/$set.tar.gz ;;
            "tar|zstd -3 pack") out=$scratch/$set.tar.zst ;;
            "jlha a -lh5-") out=$scratch/$set-jlha.lzh ;;
        esac
        size="" r=""
        if [ -n "$out" ] && [ -f "$out" ]; then size=$(stat -c %s "$out"); r=$(ratio "$size" "$bytes"); size=$(mb "$size"); fi
        printf '%-22s %9s %9s %11s %8s %9s %s\n' "$cmd" "$s" "$(rate "$bytes" "$s")" "$size" "$r" \
            "$(awk -v k="${peak[$key]:-0}" 'BEGIN {printf "%.1f", k / 1024}')" "${status[$key]}"
    done
    a=$(median "${seconds[$set unlha a]}") g=$(median "${seconds[$set tar|gzip -6 pack]}")
    t=$(median "${seconds[$set unlha t]}") d=$(median "${seconds[$set gzip -dc]}")
    echo "  pack time vs tar|gzip -6: $(ratio "$a" "$g")x;  archive size vs gzip -6:" \
         "$(ratio "$(stat -c %s "$scratch/$set.lzh" 2>/dev/null || echo 0)" "$(stat -c %s "$scratch/$set.tar.gz")")x;" \
         " test time vs gzip -dc: $(ratio "$t" "$d")x"
done
[ "$carryOnly" = 1 ] || { echo; echo "documents round trip through unlha a/x: ${verified:-not checked}"; }
if [ -n "$baseline" ]; then
    echo
    echo "against the baseline $baseline (medians of the same rounds, ours / baseline;"
    echo "   CPU is user + system seconds, which other load on the machine sways less than wall time)"
    printf '%-16s %-4s %9s %9s %7s %9s %9s %7s\n' set op "wall" "base" ratio "CPU" "base" ratio
    for set in "${order[@]}"; do
        for op in a t x; do
            o=$(median "${seconds[$set unlha $op]}") b=$(median "${seconds[$set baseline $op]}")
            oc=$(median "${cpu[$set unlha $op]}") bc=$(median "${cpu[$set baseline $op]}")
            printf '%-16s %-4s %9s %9s %7s %9s %9s %7s\n' "$set" "$op" "$o" "$b" "$(ratio "$o" "$b")" \
                "$oc" "$bc" "$(ratio "$oc" "$bc")"
        done
        cmp -s "$scratch/$set.lzh" "$scratch/$set-base.lzh" && echo "  $set: the same archive" ||
            echo "  $set: the archives differ"
    done
fi

# Carrying forward: a copy of the documents is packed once as the previous backup; then files are
# changed (every 100th, then every 5th, by sorted path, so spread over the tree, whatever their
# size) and each state is packed both in full and carrying from the previous backup. The two
# archives must be the same bytes. Change times settle first (the packer reads files changed in
# the last seconds whole), so both packs see the same files alike.
carry=$scratch/carry
mkdir -p "$carry"
cp -a "$corpus/Documents" "$carry/src"
settle() { sleep 3.5; }
settle
warm "$carry/src"
"$unlha" a -d1 -y1 -h2 -jm2 "$carry/base.lzh" "$carry/src/" >/dev/null 2>&1
carryBytes=$(bytesOf "$carry/src")
carryFiles=$(filesOf "$carry/src")
changeEvery() { # N: appends a line to every Nth file not yet changed
    find "$carry/src" -type f -print0 | LC_ALL=C sort -z | tr '\0' '\n' |
        awk -v n="$1" 'NR % n == 0 && NR % 100 != 0 || n == 100 && NR % 100 == 0' |
        while IFS= read -r f; do printf 'changed since the last backup\n' >> "$f"; done
}
declare -A identical changedFiles
for case in unchanged "1 %" "20 %"; do
    case $case in
        "1 %") changeEvery 100; settle ;;
        "20 %") changeEvery 5; settle ;;
    esac
    changedFiles[$case]=$(find "$carry/src" -type f -newer "$carry/base.lzh" | wc -l)
    for currentRound in $(seq "$rounds"); do
        rm -f "$carry/full.lzh" "$carry/carried.lzh"
        measure "carry $case full" "'$unlha' a -d1 -y1 -h2 -jm2 '$carry/full.lzh' '$carry/src/'"
        measure "carry $case carried" "'$unlha' a -d1 -y1 -h2 -jm2 -jc '$carry/base.lzh' '$carry/carried.lzh' '$carry/src/'"
    done
    identical[$case]=$(cmp -s "$carry/full.lzh" "$carry/carried.lzh" && echo yes || echo NO)
done
echo
echo "== carrying forward: documents copy, $carryFiles files, $(mb "$carryBytes") MB, archives in tmpfs, warm cache"
echo "   (seconds of wall time, and of CPU time, user and system, which other load on the machine sways less)"
printf '%-10s %6s %8s %10s %8s %9s %11s %8s %12s %9s %s\n' changed files "full s" "carried s" speedup \
    "full CPU" "carried CPU" "CPU ratio" "carried MB/s" "peak MiB" "same bytes"
for case in unchanged "1 %" "20 %"; do
    f=$(median "${seconds[carry $case full]}") c=$(median "${seconds[carry $case carried]}")
    fc=$(median "${cpu[carry $case full]}") cc=$(median "${cpu[carry $case carried]}")
    printf '%-10s %6s %8s %10s %8s %9s %11s %8s %12s %9s %s\n' "$case" "${changedFiles[$case]}" "$f" "$c" \
        "$(ratio "$f" "$c")x" "$fc" "$cc" "$(ratio "$fc" "$cc")x" "$(rate "$carryBytes" "$c")" \
        "$(awk -v k="${peak[carry $case carried]:-0}" 'BEGIN {printf "%.1f", k / 1024}')" \
        "${identical[$case]} ${status[carry $case carried]}"
done
