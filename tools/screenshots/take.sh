#!/usr/bin/env bash
# Takes the README's pictures at 100 % and 150 % under a virtual X server with the openbox window
# manager, so that the windows carry their title bars.
#   tools/screenshots/take.sh [build folder] [picture folder]
set -euo pipefail
build=${1:-build}
out=${2:-docs/screenshots}
tool="$build/tools/fernhold_screenshots"
[ -x "$tool" ] || { echo "build the target fernhold_screenshots first" >&2; exit 2; }
for scale in 1 1.5; do
    percent=$(awk "BEGIN { print $scale * 100 }")
    xvfb-run -a -s "-screen 0 1600x1200x24" sh -c '
        openbox >/dev/null 2>&1 &
        sleep 1
        QT_SCALE_FACTOR="$1" FERNHOLD_SCREENSHOT_DIR="$2" FERNHOLD_SCREENSHOT_SUFFIX="_$3" "$4"
        status=$?
        kill $! 2>/dev/null
        exit $status' sh "$scale" "$out" "$percent" "$tool"
done
