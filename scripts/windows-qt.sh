#!/usr/bin/env bash
# Prints the prefix of the Qt 6 for Windows (mingw-w64) that the Windows build uses, making it
# ready first where needed. In order:
#   $FERNHOLD_QT_MINGW                    a prefix given by hand (it holds lib/cmake/Qt6)
#   <repo>/../shared/qt6-mingw/*.tar.xz   the prebuilt archive, checked against its SHA-256 and
#                                         unpacked into CACHE once
#   otherwise                             built once from Debian's qt6-base source into CACHE
#                                         (about 45 minutes on 2 cores)
#   windows-qt.sh CACHE
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${1:?usage: windows-qt.sh CACHE}
version=6.4.2
has_qt() { [ -f "$1/lib/cmake/Qt6/Qt6Config.cmake" ]; }

if [ -n "${FERNHOLD_QT_MINGW:-}" ]; then
    has_qt "$FERNHOLD_QT_MINGW" || { echo "FERNHOLD_QT_MINGW=$FERNHOLD_QT_MINGW holds no Qt 6" >&2; exit 1; }
    echo "$FERNHOLD_QT_MINGW"
    exit 0
fi

archive="$(dirname "$repo")/shared/qt6-mingw/qt6-mingw-$version.tar.xz"
if [ -f "$archive" ]; then
    expected=$(cut -d' ' -f1 "$archive.sha256")
    actual=$(sha256sum "$archive" | cut -d' ' -f1)
    if [ "$actual" != "$expected" ]; then
        echo "$archive: SHA-256 $actual, expected $expected" >&2
        exit 1
    fi
    # The stamp names the archive the unpacked copy came from.
    if [ "$(cat "$cache/qt6-mingw.sha256" 2>/dev/null)" != "$expected" ] || ! has_qt "$cache/qt6-mingw"; then
        echo "Unpacking $archive into $cache" >&2
        rm -rf "$cache/qt6-mingw" && mkdir -p "$cache"
        tar xf "$archive" -C "$cache"
        echo "$expected" >"$cache/qt6-mingw.sha256"
    fi
    echo "$cache/qt6-mingw"
    exit 0
fi

built="$cache/qt6-mingw-built"
if ! has_qt "$built"; then
    echo "No prebuilt Qt for Windows at $archive:" >&2
    echo "building Qt $version from Debian's source into $built, once (about 45 minutes on 2 cores)" >&2
    bash "$repo/scripts/build-qt6-mingw.sh" "$cache/qt6-mingw-work" "$built" >&2
fi
echo "$built"
