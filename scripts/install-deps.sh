#!/usr/bin/env bash
# Installs the Debian packages the build needs that are not there yet.
#   install-deps.sh run    the compiler, CMake, Qt 6 Widgets with its Japanese texts, and the
#                          Japanese fonts
#   install-deps.sh test   all of that, plus GoogleTest, the independent LZH readers, clang for
#                          the fuzzers, and mingw-w64 with Wine for the Windows build's tests
#                          (and time, zstd for the scale check and the benchmark; openbox and
#                          imagemagick for the screenshots)
set -euo pipefail
mode=${1:-run}

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev fonts-noto-cjk
          qt6-translations-l10n)
if [ "$mode" = test ]; then
    packages+=(googletest libgtest-dev lhasa libarchive-tools 7zip jlha-utils
               clang-14 clang-format-14 libclang-rt-14-dev g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth
               qt6-base-dev-tools time zstd locales openbox imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
