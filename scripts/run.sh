#!/usr/bin/env bash
# Installs what is missing, builds the program into build/bin and starts it from there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DFERNHOLD_BUILD_TESTS=OFF
cmake --build build
exec build/bin/Fernhold
