#!/usr/bin/env bash
# Pictures of the Windows program's windows as Wine draws them with Qt's windows platform: on
# Xvfb, inside a Wine virtual desktop (whose desktop window the tool can grab), under code page
# 932, with Noto Sans CJK JP standing in for the Japanese UI fonts of Windows. Run it after a
# build of build-win (scripts/test.sh); it keeps a Wine prefix of its own.
#   windows-screenshots.sh OUT_FOLDER
set -euo pipefail
out=$(realpath -m "${1:?usage: windows-screenshots.sh OUT_FOLDER}")
cd "$(dirname "$0")/.."
work=$PWD/build-win/screenshots
[ -f build-win/tools/fernhold_screenshots.exe ] || { echo "build build-win first" >&2; exit 1; }
rm -rf "$work/program" && mkdir -p "$work" "$out"
cp -r build-win/bin "$work/program"
cp build-win/tools/fernhold_screenshots.exe "$work/program/"

export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -d build-win/locale/ja_JP.UTF-8 ]; then
    export LOCPATH="$PWD/build-win/locale" LC_ALL=ja_JP.UTF-8
fi
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x960x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill "$xvfb"' EXIT
export DISPLAY=$display

if [ ! -d "$WINEPREFIX" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w || true
fi
substitutes='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
for face in "MS Shell Dlg" "MS Shell Dlg 2" "MS UI Gothic" "Tahoma" "Meiryo UI" "Yu Gothic UI"; do
    wine reg add "$substitutes" /v "$face" /d "Noto Sans CJK JP" /f >/dev/null 2>&1
done

(cd "$work/program" && FERNHOLD_SCREENSHOT_DIR=$(winepath -w "$out") \
    timeout 120 wine explorer /desktop=fernhold,1024x768 fernhold_screenshots.exe)
ls "$out"
