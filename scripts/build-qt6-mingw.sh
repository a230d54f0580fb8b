#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows from Debian's own qt6-base source (the version of Debian's Linux
# Qt, whose moc, uic and rcc then serve as host tools) with Debian's mingw-w64, posix threads:
# shared libraries, Core, Gui, Widgets and Test, the windows and minimal platform plugins.
#   build-qt6-mingw.sh WORK PREFIX     (WORK keeps the source and the build tree)
set -euo pipefail
work=${1:?usage: build-qt6-mingw.sh WORK PREFIX}
prefix=${2:?usage: build-qt6-mingw.sh WORK PREFIX}
repo=$(cd "$(dirname "$0")/.." && pwd)
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# The source package needs a deb-src entry; Debian 12 images ship none.
if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' |
        $sudo tee /etc/apt/sources.list.d/fernhold-src.sources >/dev/null
    $sudo apt-get update -qq
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    dpkg-dev g++-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools cmake ninja-build perl >/dev/null

mkdir -p "$work"
cd "$work"
if [ ! -x source/configure ]; then
    apt-get source --download-only qt6-base >/dev/null
    rm -rf source && mkdir source
    tar xf qt6-base_*.orig.tar.xz -C source --strip-components=1
fi

# Features the program does not use stay out; Qt's own copies of the image and text libraries
# go in, so the DLLs need nothing from the build machine.
rm -rf build && mkdir build && cd build
../source/configure -prefix "$prefix" -release -shared \
    -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- -qt-host-path /usr -- \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_printsupport=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_icu=OFF -DFEATURE_freetype=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_zlib=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_libpng=OFF -DFEATURE_system_libjpeg=OFF
cmake --build . --parallel "$(nproc)"
cmake --install .
