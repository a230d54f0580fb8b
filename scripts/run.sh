#!/usr/bin/env bash
# Installs what is missing, builds the program into build/bin and starts it from there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERNHOLD_BUILD_TESTS=OFF
cmake --build build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    # Without a desktop the windows cannot be seen, but the program still starts and keeps its
    # schedule; say so instead of failing.
    echo "No display found: starting Fernhold without visible windows (QT_QPA_PLATFORM=offscreen)." >&2
    export QT_QPA_PLATFORM=offscreen
fi
exec build/bin/Fernhold
