#!/usr/bin/env bash
# Fails when a file under src/ includes a module of a higher layer, or when Qt appears below the
# windows. The build refuses most such includes by itself (a target sees only the headers of what
# it links); this check keeps the order of the top-level modules written down in one place.
set -euo pipefail
cd "$(dirname "$0")/../src"

# Lowest first: a module may include its own layer and the ones before it. Qt from ui up.
layers=(base platform lzh archiver core tools ui app)
qt_layer=ui

declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

status=0
for dir in */; do
    module=${dir%/}
    if [ -z "${rank[$module]+set}" ]; then
        echo "src/$module: not in the layer order of scripts/check-layers.sh"
        status=1
    fi
done

while IFS= read -r -d '' file; do
    module=${file%%/*}
    [ -n "${rank[$module]+set}" ] || continue
    while IFS=: read -r line text; do
        if [[ $text =~ ^#include\ \"([a-z_]+)/ ]]; then
            target=${BASH_REMATCH[1]}
            if [ -n "${rank[$target]+set}" ] && [ "${rank[$target]}" -gt "${rank[$module]}" ]; then
                echo "src/$file:$line: $module includes the higher layer $target"
                status=1
            fi
        elif [[ $text =~ ^#include\ \<Q ]] && [ "${rank[$module]}" -lt "${rank[$qt_layer]}" ]; then
            echo "src/$file:$line: Qt below the windows"
            status=1
        fi
    done < <(grep -n '^#include' "$file" || true)
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | tr '\n' '\0')

if [ "$status" -eq 0 ]; then echo "layers: every include points down"; fi
exit "$status"
